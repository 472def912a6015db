# Front door: `make run` and `make test` do all set-up on a fresh Debian or Ubuntu machine.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps test-deps configure build test run bench test-asan fuzz format clean deb check-deb

all: build

# Each target installs only the packages its purpose needs (tools/debian-packages.txt).
deps:
	@bash tools/install-deps.sh build

test-deps:
	@bash tools/install-deps.sh build test

configure: deps
	@cmake --preset release >/dev/null

build: configure
	@cmake --build --preset release -j $(JOBS)

test: test-deps build
	@ctest --preset release -j $(JOBS)

run: build
	@bash tools/run.sh build/release

bench: test-deps build
	@./build/release/mirelane_bench --benchmark_counters_tabular=true

test-asan: test-deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

fuzz:
	@bash tools/install-deps.sh build fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@bash tools/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

# The Debian package, from the release build (CPack packages under /usr).
deb: build
	@bash tools/install-deps.sh deb
	@cd build/release && cpack -G DEB >/dev/null
	@ls build/release/mirelane-creator_*.deb

# lintian, the desktop entry and AppStream validators, and an install of the package into a
# throw-away root; installs only the tools these need.
check-deb: deb
	@bash tools/install-deps.sh check
	@bash tools/check-deb.sh build/release

format:
	@bash tools/install-deps.sh format
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
