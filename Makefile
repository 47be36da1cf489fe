# Set-up and everyday commands. `make demo` and `make test` work on a fresh clone.
PRESET  ?= release
BUILD   := build/$(PRESET)
PLUGIN  := $(BUILD)/Quivertone.so
QVT     := $(BUILD)/qvt
VST_DIR ?= $(HOME)/.vst/Quivertone

.PHONY: all deps configure build test test-dev test-tsan demo install bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

# The same suites built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-dev:
	$(MAKE) test PRESET=dev

# The concurrency tests (every test whose name mentions threads) built with ThreadSanitizer.
test-tsan: deps
	@cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan -R Thread

# The demo song through the plug-in with its start-up program: a WAV file, its picture, the figures.
demo: build
	$(QVT) render $(PLUGIN) examples/demo.mid -o build/demo.wav --plot build/demo.png

install: build
	mkdir -p "$(VST_DIR)/Banks" "$(VST_DIR)/Patterns"
	install -m 755 $(PLUGIN) "$(VST_DIR)/Quivertone.so"
	@echo "Installed into $(VST_DIR)"

bench: build
	@set -e; for program in $(BUILD)/bench/bench_*; do \
	  [ -x "$$program" ] && "$$program" --benchmark_min_time=0.2; \
	done

clean:
	rm -rf build
