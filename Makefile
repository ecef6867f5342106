# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD   ?= build
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all setup build test asan fuzz run clean format format-check deb

all: build

setup:
	@scripts/setup.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package of the build (CPack; Depends from dpkg-shlibdeps), checked:
# file list, Depends, desktop entry and metainfo.
deb: build
	@scripts/setup.sh dpkg-dev file desktop-file-utils appstream
	cd $(BUILD) && cpack -G DEB
	scripts/check-deb.sh $(BUILD)

# The whole suite once more with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: setup
	cmake -S . -B build-asan -DKT_SANITIZE=ON -DKT_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang, with the sanitizers), each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/fuzz.sh build-fuzz

# The terminal against kt4470-sim in ./demo: `make run` (module, direct
# mode) or `make run MODE=sms` (GSM modem, SMS mode; NUMBER= the module's).
MODE ?= module
run:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); try: xvfb-run -a make run))
	@BUILD=$(BUILD) JOBS=$(JOBS) CMAKE_FLAGS="$(CMAKE_FLAGS)" $(if $(NUMBER),NUMBER=$(NUMBER)) scripts/run-demo.sh $(MODE)

clean:
	rm -rf $(BUILD) build-asan build-fuzz

# Sources in the project's style (.clang-format): `make format` rewrites,
# `make format-check` only reports (CI).
SOURCES = $(shell git ls-files '*.cpp' '*.h')
format:
	@scripts/setup.sh clang-format
	@clang-format -i $(SOURCES)
format-check:
	@scripts/setup.sh clang-format
	@clang-format --dry-run -Werror $(SOURCES) && echo "format-check: all sources formatted"

# The Qt-free libraries, kt4470ctl and their tests cross-built for Windows
# (mingw-w64) and run under Wine.
.PHONY: windows
windows:
	JOBS=$(JOBS) scripts/windows.sh build-win
