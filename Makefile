# The two commands of the README: `make run` and `make test`.
BUILD ?= build
PROGRAM := $(BUILD)/program

.PHONY: all deps configure build content run test clean

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

clean:
	rm -rf $(BUILD)
