# Front door: `make run` and `make test` do all set-up on a fresh Debian or Ubuntu machine.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build test run bench test-asan fuzz format clean deb check-deb

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake --preset release >/dev/null

build: configure
	@cmake --build --preset release -j $(JOBS)

test: build
	@ctest --preset release -j $(JOBS)

run: build
	@bash tools/run.sh build/release

bench: build
	@./build/release/mirelane_bench --benchmark_counters_tabular=true

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@bash tools/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

# The Debian package, from the release build (CPack packages under /usr).
deb: build
	@bash tools/install-deps.sh deb-packages.txt
	@cd build/release && cpack -G DEB >/dev/null
	@ls build/release/mirelane-creator_*.deb

# lintian, the desktop entry and AppStream validators, and an install of the package into a
# throw-away root; installs only the tools these need.
check-deb: deb
	@bash tools/install-deps.sh package-check-packages.txt
	@bash tools/check-deb.sh build/release

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
