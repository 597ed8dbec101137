# VALDOR: the commands a developer and CI use.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build build-release test test-tsan bench run clean install package \
	lint-package

# The configurations that `make test` builds treat warnings as errors; a plain cmake build does not.
STRICT := -DVALDOR_WERROR=ON

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Everything in Release mode (the optimiser's warnings differ); the benchmarks run from here.
build-release: deps
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release $(STRICT) >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)

# Every test; the Release build; then the machine's tests again under ThreadSanitizer and under
# AddressSanitizer + UBSan (the desktop is left out there: Qt's own libraries are not
# instrumented), and a short run of every fuzz target.
test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory lint-package
	@$(MAKE) --no-print-directory build-release
	@$(MAKE) --no-print-directory test-tsan
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory fuzz-smoke

test-tsan: deps
	@cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALDOR_SANITIZE=thread -DVALDOR_GUI=OFF $(STRICT) >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS)
	@cd $(BUILD)-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: build-release
	@$(BUILD)-bench/bench/valdor_bench

# Builds the program, the RPN and the demonstration firmware and the two small tools
# (valdor-run, nutasm), and starts VALDOR; its files live in the per-user folder, never in the
# build folder.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target VALDOR rpn_rom demo_rom valdor-run nutasm
	@cd $(BUILD) && ./VALDOR

# Installs the programs, the firmware, the menu entry and the icon under PREFIX; builds
# only what is installed.
PREFIX ?= /usr/local
INSTALLED = VALDOR valdor-run nutasm rpn_rom demo_rom valdor_icons valdor_man valdor_docs
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED)
	@cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the same files (under /usr), in $(BUILD)/.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED)
	@cd $(BUILD) && cpack -G DEB

# The Debian package checked by lintian: an error fails the run, and warnings are shown.
lint-package: package
	@lintian --fail-on error --tag-display-limit 0 $(BUILD)/valdor_*_amd64.deb

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-tsan $(BUILD)-asan $(BUILD)-fuzz

.PHONY: test-asan fuzz-build fuzz fuzz-smoke

# Every test again under AddressSanitizer + UndefinedBehaviorSanitizer; a fault fails the run.
test-asan: deps
	@cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALDOR_SANITIZE=address -DVALDOR_GUI=OFF $(STRICT) >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@cd $(BUILD)-asan && ASAN_OPTIONS=halt_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets of fuzz/, built with clang under ASan + UBSan. `make fuzz` runs each one
# for FUZZ_SECONDS; `make fuzz-smoke` (part of `make test`) for 20 seconds each.
FUZZ_SECONDS ?= 60

fuzz-build: deps
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVALDOR_FUZZ=ON $(STRICT) >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@./scripts/fuzz $(BUILD)-fuzz $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@./scripts/fuzz $(BUILD)-fuzz 20
