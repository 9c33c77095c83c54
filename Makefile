# Two commands for a newcomer: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

.PHONY: all deps configure build run test test-asan bench fuzz package clean

all: build

# Each target names the packages it needs beyond the common ones; GNU make
# hands a target's EXTRA_PACKAGES down to its prerequisites.
deps:
	@scripts/install-deps.sh $(EXTRA_PACKAGES)

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

# Everything: the program, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# A first start needs only the program and its translations. Without a
# display it runs on a virtual one, reached through a local VNC server.
run: EXTRA_PACKAGES = $(if $(DISPLAY)$(WAYLAND_DISPLAY)$(QT_QPA_PLATFORM),,xvfb x11vnc)
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target tessel
	scripts/run.sh $(BUILD)

test: EXTRA_PACKAGES = desktop-file-utils appstream xvfb xdotool
test: configure
	cmake --build $(BUILD) -j $(JOBS) --target tessel tessel_tests
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=ON -DTESSEL_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: EXTRA_PACKAGES = libjpeg-turbo-progs libvips-tools libimage-exiftool-perl
bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target tessel_benchmarks
	cd $(BUILD) && for b in bench/bench_*; do \
	    if [ -f "$$b" ] && [ -x "$$b" ]; then QT_QPA_PLATFORM=offscreen "$$b" || exit 1; fi; \
	done

# The settings reader and the picture loader fed with generated inputs,
# FUZZ_SECONDS each, under the address and undefined-behaviour sanitizers.
fuzz: deps
	@scripts/install-deps.sh clang libclang-rt-dev
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++ -DTESSEL_FUZZ=ON -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_settings fuzz_pictures
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A Debian package of the program in $(BUILD) (dpkg-shlibdeps finds its
# dependencies; it needs dpkg-dev and file).
package: EXTRA_PACKAGES = dpkg-dev file
package: configure
	cmake --build $(BUILD) -j $(JOBS) --target tessel
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
