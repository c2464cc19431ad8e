# The two commands of the README: `make run` and `make test`.
BUILD ?= build
PROGRAM := $(BUILD)/program

.PHONY: all deps configure build content run test clean install package demo-disc asan-configure check-asan fuzz guide-pictures

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

# The pictures of the learner's and the teacher's guides (docs/pictures), taken
# from the program on the demo disc under Xvfb; a few minutes, so not in test.
guide-pictures: content
	@scripts/guide-pictures $(BUILD) docs/pictures

# The demo disc where the installed program of this user finds it.
demo-disc: build
	@$(BUILD)/tools/demodisc/tavolin-demodisc --no-program-media --cache $(BUILD)/demodisc-cache \
	  --out $${XDG_DATA_HOME:-$$HOME/.local/share}/tavolin/disc

# Sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer) in its
# own folder; it also holds the libFuzzer targets of tests/fuzz.
ASAN_BUILD ?= build-asan
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
FUZZ_MINUTES ?= 10
FUZZ_JOBS ?= 1

asan-configure: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVOLIN_FUZZ=ON >/dev/null

# The unit tests under the sanitizers (leaks are not checked: Qt and fontconfig
# keep caches to the end of the process).
check-asan: asan-configure
	@cmake --build $(ASAN_BUILD) -j2
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy $(SANITIZER_ENV) \
	  ctest --output-on-failure -j2 --timeout 1800

# Runs every fuzz target (or FUZZ_TARGETS) for FUZZ_MINUTES each, FUZZ_JOBS at a time.
fuzz: asan-configure
	@cmake --build $(ASAN_BUILD) -j2 --target fuzzers
	FUZZ_JOBS=$(FUZZ_JOBS) tests/fuzz/run-fuzz $(ASAN_BUILD) $(FUZZ_MINUTES) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
