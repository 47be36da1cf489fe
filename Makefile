# Set-up and everyday commands. `make demo` and `make test` work on a fresh clone.
PRESET  ?= release
BUILD   := build/$(PRESET)
PLUGIN  := $(BUILD)/Quivertone.so
QVT     := $(BUILD)/qvt
FUZZ_SECONDS ?= 60
FUZZ_BUILD   ?= build/fuzz
SOAK_SECONDS ?= 3600
WIN_NATIVE   := build/win-native
WIN_BUILD    := build/win32
# The fourth number of the version 2.2.0.N (cmake/Version.cmake); empty: the number of commits.
BUILD_NUMBER ?=
VERSION_ARGS := -DQVT_BUILD_NUMBER=$(BUILD_NUMBER)

.PHONY: all deps configure build test test-dev test-tsan demo release-files install uninstall bench fuzz soak skin \
        windows test-windows deb dist test-dist test-ardour clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) $(VERSION_ARGS) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

# The same suites built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-dev:
	$(MAKE) test PRESET=dev

# The concurrency tests (every test whose name mentions threads) built with ThreadSanitizer.
test-tsan: deps
	@cmake --preset tsan $(VERSION_ARGS) >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan -R Thread

# The demo song through the plug-in with its start-up program: a WAV file, its picture, the figures.
demo: configure
	cmake --build --preset $(PRESET) --target Quivertone qvt
	$(QVT) render $(PLUGIN) examples/demo.mid -o build/demo.wav --plot build/demo.png

# Installation: per user by default (~/.vst/Quivertone/, which most hosts scan);
# PREFIX=/usr/local puts the plug-in into /usr/local/lib/vst/Quivertone/, where
# hosts look by default. DESTDIR is prepended for packagers. LV2_BUNDLE names the
# LV2 bundle folder the build makes, Quivertone.lv2 (empty: none); it goes into
# LV2_DIR (~/.lv2, or PREFIX/lib/lv2), and into the package and the tarball.
PREFIX     ?=
VST_DIR    ?= $(if $(PREFIX),$(PREFIX)/lib/vst,$(HOME)/.vst)/Quivertone
LV2_DIR    ?= $(if $(PREFIX),$(PREFIX)/lib/lv2,$(HOME)/.lv2)
LV2_BUNDLE ?= $(wildcard $(BUILD)/Quivertone.lv2)
FACTORY_BANK := $(BUILD)/resources/bank/factory-bank.qvt
DIST_DIR   ?= build/dist

# What is installed and packaged, without the tests and benchmarks.
release-files: configure
	cmake --build --preset $(PRESET) --target Quivertone Quivertone_lv2 qvt qvt_factory_bank

# The files of the LV2 bundle (scripts/copy-lv2-bundle.sh copies them); banks and
# patterns the LV2 plug-in keeps beside itself (a per-user install) are the user's and stay.
LV2_FILES := Quivertone.so manifest.ttl quivertone.ttl Help.html images/editor.png images/patedit.png \
             images/about.png

# The pictures the manual shows, installed beside it in images/.
MANUAL_PICTURES := docs/images/editor.png docs/images/patedit.png docs/images/about.png

install: release-files
	install -d "$(DESTDIR)$(VST_DIR)/Banks" "$(DESTDIR)$(VST_DIR)/Patterns" "$(DESTDIR)$(VST_DIR)/images"
	install -m 644 $(PLUGIN) "$(DESTDIR)$(VST_DIR)/Quivertone.so"
	install -m 644 docs/Help.html "$(DESTDIR)$(VST_DIR)/Help.html"
	install -m 644 $(MANUAL_PICTURES) "$(DESTDIR)$(VST_DIR)/images/"
	install -m 644 $(FACTORY_BANK) "$(DESTDIR)$(VST_DIR)/Banks/Factory.qvt"
	$(if $(LV2_BUNDLE),scripts/copy-lv2-bundle.sh $(LV2_BUNDLE) "$(DESTDIR)$(LV2_DIR)")
	@echo "Installed into $(DESTDIR)$(VST_DIR)"

# Removes what install put there; banks and patterns of the user's own stay.
uninstall:
	rm -f "$(DESTDIR)$(VST_DIR)/Quivertone.so" "$(DESTDIR)$(VST_DIR)/Help.html" \
	      "$(DESTDIR)$(VST_DIR)/Banks/Factory.qvt" \
	      $(foreach p,$(MANUAL_PICTURES),"$(DESTDIR)$(VST_DIR)/images/$(notdir $(p))")
	rm -f $(foreach f,$(LV2_FILES),"$(DESTDIR)$(LV2_DIR)/Quivertone.lv2/$(f)")
	rmdir "$(DESTDIR)$(VST_DIR)/Banks" "$(DESTDIR)$(VST_DIR)/Patterns" "$(DESTDIR)$(VST_DIR)/images" \
	      "$(DESTDIR)$(VST_DIR)" 2>/dev/null || true
	rmdir "$(DESTDIR)$(LV2_DIR)/Quivertone.lv2/Banks" "$(DESTDIR)$(LV2_DIR)/Quivertone.lv2/Patterns" \
	      "$(DESTDIR)$(LV2_DIR)/Quivertone.lv2/images" "$(DESTDIR)$(LV2_DIR)/Quivertone.lv2" 2>/dev/null || true

# Release packages in $(DIST_DIR): the Debian package, and the Linux tarball
# (with the Windows zip when `make windows` has built the DLL). `make test-dist`
# installs and checks them; it needs root for dpkg and installs Ardour's scanner.
deb: release-files
	@scripts/install-deps.sh --dist
	scripts/make-deb.sh $(BUILD) $(DIST_DIR) $(LV2_BUNDLE)

dist: release-files
	@scripts/install-deps.sh --dist
	scripts/make-dist.sh $(BUILD) $(WIN_BUILD) $(DIST_DIR) $(LV2_BUNDLE)

test-dist: deb dist
	scripts/test-dist.sh $(BUILD) $(WIN_BUILD) $(DIST_DIR)

# The LV2 plug-in in Ardour 7, headless: rendered, saved and reloaded (slow; needs Ardour,
# which scripts/install-deps.sh --dist installs).
test-ardour: release-files
	scripts/test-ardour.sh $(BUILD)

bench: build
	@set -e; for program in $(BUILD)/bench/bench_*; do \
	  [ -x "$$program" ] && "$$program" --benchmark_min_time=0.2; \
	done

# Each fuzz target under libFuzzer (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# for FUZZ_SECONDS, starting from its seeds in fuzz/corpus. New inputs collect in
# $(FUZZ_BUILD)/corpus/<target>, failing ones in $(FUZZ_BUILD)/artifacts.
fuzz: deps
	@cmake --preset fuzz -B $(FUZZ_BUILD) >/dev/null
	cmake --build $(FUZZ_BUILD) --target qvt_fuzzers
	@set -e; mkdir -p $(FUZZ_BUILD)/artifacts; \
	for program in $(FUZZ_BUILD)/fuzz/qvt_fuzz_*; do \
	  name=$${program##*/qvt_fuzz_}; mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  TMPDIR=$${TMPDIR:-/dev/shm} $$program -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$name- $(FUZZ_BUILD)/corpus/$$name fuzz/corpus/$$name; \
	done

# A long random session rendered offline (an hour of audio by default).
soak: build
	$(BUILD)/qvt_soak --seconds $(SOAK_SECONDS)

# Redraws the skin images into resources/skin (committed) and a review sheet, build/skin-sheet.png.
skin: configure
	cmake --build --preset $(PRESET) --target skingen
	$(BUILD)/tools/skingen/skingen resources/skin build/skin-sheet.png

# The 32-bit Windows plug-in, $(WIN_BUILD)/Quivertone.dll, cross-built with mingw-w64,
# its ABI test program and its editor test host. A native build first makes the
# build's generators (and the qvt tool, whose snapshot the editor is compared with).
windows:
	@scripts/install-deps.sh --windows
	@cmake --preset win-native $(VERSION_ARGS) >/dev/null
	cmake --build --preset win-native
	@cmake --preset win32 $(VERSION_ARGS) >/dev/null
	cmake --build --preset win32

# The ABI suite against Quivertone.dll under wine, after the same suite against the
# Linux library has rendered the phrase that the DLL's render is compared with;
# the editor's window tests (tests/win32host, under Xvfb) compare what the editor
# shows with the Linux headless picture of the same program.
test-windows: windows
	QVT_PHRASE_OUT=$(CURDIR)/$(WIN_NATIVE)/phrase.f32 $(WIN_NATIVE)/tests/abi/qvt_tests_abi
	$(WIN_NATIVE)/qvt snapshot --form main -o $(WIN_NATIVE)/main.png
	$(WIN_NATIVE)/qvt snapshot --form about -o $(WIN_NATIVE)/about.png
	ctest --preset win32

clean:
	rm -rf build
