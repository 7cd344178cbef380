# Entry points for a fresh machine: `make run` and `make test` install what is
# missing, configure, build and then run the tool or the tests.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
JOBS ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test fuzz format clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug -DTOVRIK_SANITIZE=ON

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

run: build
	@echo "The desktop window is not built yet; running the command-line tool on the simulated chip:"
	@echo "decoding the simulated chip's factory EEPROM image."
	$(BUILD)/cli/tovrik-cli image factory -o $(BUILD)/factory.bin
	$(BUILD)/cli/tovrik-cli image decode $(BUILD)/factory.bin

fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOVRIK_FUZZ=ON -DTOVRIK_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target load_fuzzer
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/tests/fuzz/load_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=256 \
	  $(FUZZ_BUILD)/corpus tests/fuzz/seeds

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
