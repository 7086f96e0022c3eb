# The two commands of the README:
#   make run   - install what is missing, build, start Orvanta on its built-in demo feed
#   make test  - install what is missing, build, run every test (and the core tests
#                again under AddressSanitizer and UndefinedBehaviorSanitizer)
# and for installing:
#   make package        - the Debian package $(BUILD)/orvanta_VERSION_ARCH.deb
#   make package-check  - make package, then lintian, the desktop entry and metainfo
#                         validators, an install into a throw-away root, and apt-get install
#                         with the station started as its unit does in an overlay root (CI runs it)
# and for speed:
#   make check-instructions - fails when decode or replay spends over 10 % more
#                         instructions than bench/instructions.baseline (CI runs it)
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
DATA_DIR ?= $(CURDIR)/$(BUILD)/demo-data

.PHONY: all bootstrap check-floors build run test test-core test-sanitize test-fuzz-smoke bench clean \
	package package-check check-instructions

all: build

bootstrap:
	bash scripts/bootstrap

build: bootstrap check-floors
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The source folders form floors: an include that runs back up fails the build;
# so does a function over 100 lines or a file over 700 lines.
check-floors:
	bash scripts/check-floors
	bash scripts/check-sizes

run: build
	bash scripts/run-demo $(BUILD) $(DATA_DIR)

test-core: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON \
	  -DORVANTA_BUILD_UI=OFF -DORVANTA_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

test: test-core test-sanitize test-fuzz-smoke

# ---- The instruction-count guard ---------------------------------------------
# Counts (callgrind) the instructions of decode and replay --own-mmsi on a
# 20,000-sentence feed and compares them with bench/instructions.baseline;
# `bash scripts/check-instructions --update` writes a new baseline.
check-instructions: build
	bash scripts/check-instructions --cli $(BUILD)/orvanta-cli

# ---- Fuzz smoke run --------------------------------------------------------
# One minute of the receive-pipeline fuzz harness under ASan and UBSan, also
# replaying every input in tests/fuzz/corpus. Skipped (with a note) where clang
# and its libFuzzer runtime are not installed.
FUZZ_BUILD ?= build-fuzz
FUZZ_SMOKE_SECONDS ?= 60

test-fuzz-smoke: bootstrap
	@if bash scripts/fuzz --check; then \
	  mkdir -p $(FUZZ_BUILD); \
	  echo "fuzz smoke run: pipeline, $(FUZZ_SMOKE_SECONDS) s (log in $(FUZZ_BUILD)/smoke.log)"; \
	  if FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_JOBS=$(JOBS) bash scripts/fuzz pipeline $(FUZZ_SMOKE_SECONDS) \
	       > $(FUZZ_BUILD)/smoke.log 2>&1; then \
	    grep -E "DONE|average_exec_per_sec" $(FUZZ_BUILD)/smoke.log; \
	  else tail -60 $(FUZZ_BUILD)/smoke.log; exit 1; fi; \
	else echo "fuzz smoke run skipped: clang with the libFuzzer runtime is not installed"; fi

# ---- The Debian package ------------------------------------------------------
# Built from the same Release build as the tests (with Debian's hardening
# flags); installs nothing on this machine.
package: build
	cmake --build $(BUILD) --target package
	@ls $(BUILD)/orvanta_*.deb

package-check: package
	bash scripts/check-package $(BUILD)
	bash scripts/check-station-install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
