# Entry points for a fresh machine: `make run` and `make test` install what is
# missing, configure, build and then run the tool or the tests.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
WINDOWS32_BUILD ?= build-windows32
PACKAGE_BUILD ?= build-package
JOBS ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run pictures test package fuzz format clean windows \
	test-windows windows-pictures windows32 test-windows32 windows-both

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug -DTOVRIK_SANITIZE=ON

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# With a display the desktop window starts on the simulated chip, whose EEPROM
# is kept in the build folder across runs; without one a scripted tour plays.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "Starting tovrik-config on the simulated chip (EEPROM kept in $(BUILD)/sim-eeprom.bin)."; \
	  $(BUILD)/gui/tovrik-config --simulate=$(BUILD)/sim-eeprom.bin; \
	else \
	  echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so instead of the"; \
	  echo "window this plays scripts/demo.script through tovrik-cli run (docs/scripting.md)."; \
	  $(BUILD)/cli/tovrik-cli run scripts/demo.script --workdir $(BUILD); \
	fi

# Renders every page of the tool, connected to the simulated chip, into docs/pictures.
pictures: build
	cmake --build $(BUILD) --target pictures

# A .deb of both programs for /usr, built without the sanitizers, then checked.
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DTOVRIK_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	rm -f $(PACKAGE_BUILD)/tovrik_*.deb
	cd $(PACKAGE_BUILD) && cpack
	scripts/check-package $(PACKAGE_BUILD)/tovrik_*.deb

FUZZERS ?= load text script device_answer report_descriptor image_json

# Builds every fuzz target with clang and runs each for FUZZ_SECONDS on its seed
# corpus (tests/fuzz/seeds/NAME); what a run finds is kept in build-fuzz/corpus/NAME.
fuzz:
	scripts/install-deps --fuzz
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOVRIK_FUZZ=ON -DTOVRIK_TESTS=OFF -DTOVRIK_GUI=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(foreach f,$(FUZZERS),$(f)_fuzzer)
	set -e; for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$f; \
	  echo "== $$f: $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/tests/fuzz/$${f}_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -timeout=10 -artifact_prefix=$(FUZZ_BUILD)/$$f- \
	    $(FUZZ_BUILD)/corpus/$$f tests/fuzz/seeds/$$f; \
	done

# The same tool as native Windows programs, cross-built with MinGW-w64, and
# its tests (unit tests, CLI golden files, scenarios, the window) under Wine.
# $(call windows-build,FOLDER,TOOLCHAIN): configures, builds, zips one of them and
# builds its installer (.msi).
define windows-build
	scripts/install-deps --windows
	cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/$(2).cmake -DTOVRIK_GUI=OFF -DTOVRIK_HIDAPI=OFF
	cmake --build $(1) -j$(JOBS)
	cmake --build $(1) --target windows-zip windows-msi
endef

windows:
	$(call windows-build,$(WINDOWS_BUILD),mingw-w64-x86_64)

test-windows: windows
	scripts/wine-session $(WINDOWS_BUILD) ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j$(JOBS)

# The same for 32-bit Windows (MinGW-w64 i686), for 32-bit device libraries
# of the chip maker; its tests run under Wine's 32-bit half.
windows32:
	$(call windows-build,$(WINDOWS32_BUILD),mingw-w64-i686)

# One zip with both: tovrik-windows/x86_64 and tovrik-windows/i686.
windows-both: windows windows32
	rm -rf build-windows-both && mkdir -p build-windows-both/tovrik-windows
	cp -r $(WINDOWS_BUILD)/tovrik-windows build-windows-both/tovrik-windows/x86_64
	cp -r $(WINDOWS32_BUILD)/tovrik-windows build-windows-both/tovrik-windows/i686
	cd build-windows-both && cmake -E tar cf tovrik-windows.zip --format=zip tovrik-windows
	@echo "Packed build-windows-both/tovrik-windows.zip"

test-windows32: windows32
	scripts/wine-session $(WINDOWS32_BUILD) ctest --test-dir $(WINDOWS32_BUILD) --output-on-failure -j$(JOBS)

# Screenshots of the Windows front end under Wine on a virtual display.
windows-pictures: windows
	scripts/wine-session $(WINDOWS_BUILD) win32/take_pictures.sh $(WINDOWS_BUILD) docs/pictures

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD) $(WINDOWS_BUILD) $(WINDOWS32_BUILD) \
	  build-windows-both
