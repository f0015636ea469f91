# make run   installs what is missing, builds a Release binary and starts it
# make test  installs, builds, runs every test, then runs them again under ASan and UBSan
# make bench builds and runs the benchmarks in a Release build
JOBS ?= $(shell nproc)
CMAKE_CONFIGURE = cmake -G Ninja -S . -Wno-dev

.PHONY: run test bench deps release clean

deps:
	./scripts/install-deps

release: deps
	$(CMAKE_CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build/release -j $(JOBS)

run: release
	./build/release/quorvelan

test: deps
	$(CMAKE_CONFIGURE) -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/test -j $(JOBS)
	ctest --test-dir build/test --output-on-failure -j $(JOBS)
	$(CMAKE_CONFIGURE) -B build/asan -DCMAKE_BUILD_TYPE=Debug -DQUORVELAN_SANITIZE=ON
	cmake --build build/asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir build/asan --output-on-failure -j $(JOBS) --label-exclude perf

bench: release
	for b in build/release/bench/*_bench; do $$b; done

clean:
	rm -rf build
