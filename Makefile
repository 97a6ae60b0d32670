# make run    installs what is missing, builds, starts the console
# make test   installs what is missing, builds, runs every test headless
# make test-asan   the same tests built with address and undefined-behaviour sanitizers

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Extra CMake settings, e.g. CMAKE_FLAGS=-DTALVENO_WERROR=ON (CI does this).
CMAKE_FLAGS ?=

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all bootstrap build test asan-build test-asan run bench clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

asan-build: bootstrap
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTALVENO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)

test-asan: asan-build
	cd $(ASAN_BUILD) && ctest -j$(JOBS) --output-on-failure

run: build
	@echo "Built. The console program comes with the next step of the work."

bench: build
	bench/link_idle.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
