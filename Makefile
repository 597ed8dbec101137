# VALDOR: the commands a developer and CI use.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-tsan bench run clean

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Every test, then every test again under ThreadSanitizer.
test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-tsan

test-tsan: deps
	@cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVALDOR_SANITIZE=thread >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS)
	@cd $(BUILD)-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: configure
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS) --target valdor_bench
	@$(BUILD)-bench/bench/valdor_bench

run: build

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-tsan
