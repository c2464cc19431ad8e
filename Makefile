# The two commands of the README: `make run` and `make test`.
BUILD ?= build
PROGRAM := $(BUILD)/program

.PHONY: all deps configure build content run test clean install package demo-disc

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j2

# The content beside the program: the program folder is also the content root.
content: build
	@scripts/make-content $(PROGRAM)

run: content
	cd $(PROGRAM) && ./tavolin $(ARGS)

test: content
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j2 --timeout 900

# Installs into PREFIX (default /usr/local; DESTDIR works as usual).
install: build
	@cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

# The Debian packages tavolin and tavolin-demo-disc in $(BUILD)/packages,
# checked with lintian (an error fails).
package: build
	@cmake --build $(BUILD) --target package
	@packaging/lint-packages $(BUILD)/packages

# The demo disc where the installed program of this user finds it.
demo-disc: build
	@$(BUILD)/tools/demodisc/tavolin-demodisc --no-program-media --cache $(BUILD)/demodisc-cache \
	  --out $${XDG_DATA_HOME:-$$HOME/.local/share}/tavolin/disc

clean:
	rm -rf $(BUILD)
