# make run    installs what is missing, builds, starts the console
# make test   installs what is missing, builds, runs every test headless
# make test-asan   the same tests built with address and undefined-behaviour sanitizers
# make test-windows   the Qt-free parts cross-built for Windows and tested under Wine

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Extra CMake settings, e.g. CMAKE_FLAGS=-DTALVENO_WERROR=ON (CI does this).
CMAKE_FLAGS ?=

.PHONY: all bootstrap build test asan-build test-asan test-windows run bench clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest -j$(JOBS) --output-on-failure

asan-build: bootstrap
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTALVENO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)

test-asan: asan-build
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest -j$(JOBS) --output-on-failure

# Builds in build-win, build-win-gtest and build-win-native (scripts/test-windows).
test-windows:
	scripts/test-windows

# The console on its built-in simulated device.
run: build
	$(BUILD)/console/talveno --simulator

bench: build
	bench/run_all.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
