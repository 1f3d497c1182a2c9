# Front door: `make run` starts the game, `make test` runs every test, `make package` builds a .deb.
PRESET ?= default
BUILD  ?= build

.PHONY: deps deps-test deps-package configure build run test bench asan package clean

# Only what the game needs to build and run; the tests bring their own tools.
deps:
	@scripts/install-deps game

deps-test:
	@scripts/install-deps test

deps-package:
	@scripts/install-deps package

configure: deps
	@cmake --preset $(PRESET) >/dev/null

# The game alone: no test, benchmark or probe is built.
build: configure
	@cmake --build --preset $(PRESET) -j$$(nproc) --target kestrum

run: build
	@cd $(BUILD) && ./kestrum

test: deps-test
	@cmake --preset $(PRESET) -DBUILD_TESTING=ON >/dev/null
	@cmake --build --preset $(PRESET) -j$$(nproc)
	@ctest --preset $(PRESET) -j$$(nproc)

bench: deps-test
	@cmake --preset release >/dev/null && cmake --build --preset release -j$$(nproc) --target kestrum_bench
	@build-release/bench/kestrum_bench --benchmark_out=build-release/bench.json --benchmark_out_format=json

asan: deps-test
	@cmake --preset asan -DBUILD_TESTING=ON >/dev/null && cmake --build --preset asan -j$$(nproc)
	@ctest --preset asan -j$$(nproc)

package: deps-package
	@cmake --preset package >/dev/null && cmake --build --preset package -j$$(nproc)
	@cpack --preset package
	@ls build-package/kestrum_*.deb

clean:
	rm -rf build build-ci build-asan build-release build-package
