# make run   installs what is missing, builds a Release binary and starts it
# make test  installs, builds, runs every test, then runs them again under ASan and UBSan
# make bench builds and runs the benchmarks in a Release build
# make fuzz  builds the fuzzing targets under ASan and UBSan and runs each for FUZZ_SECONDS
#            (inputs that fail are saved in build/fuzz/artifacts); not part of make test
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_CONFIGURE = cmake -G Ninja -S . -Wno-dev

.PHONY: run test bench fuzz deps release clean

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

fuzz: deps
	$(CMAKE_CONFIGURE) -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DQUORVELAN_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS)
	status=0; for program in build/fuzz/fuzz/fuzz_*; do \
		$$program --seconds=$(FUZZ_SECONDS) --corpus=build/fuzz/corpus/$${program##*/fuzz_} \
			--artifacts=build/fuzz/artifacts || status=1; \
	done; exit $$status

clean:
	rm -rf build
