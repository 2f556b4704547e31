# Trelvo: build, run and test on Debian 12.
PY        := /usr/bin/python3
JOBS      ?= $(shell nproc)
BUILD     := build
ASAN      := build-asan
FUZZ      := build-fuzz
CMAKE_ARGS := -G Ninja -DPYBIND11_FINDPYTHON=ON -DPython_EXECUTABLE=$(PY)

.PHONY: all deps configure build run test test-build test-asan bench fuzz screenshot clean translations-update

all: build

deps:
	@bash tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/trelvo ]; then $(BUILD)/bin/trelvo; \
	 else $(BUILD)/bin/trelvo-fitcore-demo; fi

$(ASAN)/build.ninja: | deps
	CC=gcc CXX=g++ cmake -S . -B $(ASAN) $(CMAKE_ARGS) -DCMAKE_BUILD_TYPE=Debug \
	  -DTRELVO_SANITIZE=ON -DTRELVO_PYTHON=OFF

test-asan: deps $(ASAN)/build.ninja
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -L cpp

# Every test through ctest first, then the C++ tests again under the sanitizers.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan

bench: build
	@if [ -x bench/run.sh ]; then bash bench/run.sh $(BUILD); fi

$(FUZZ)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTRELVO_FUZZ=ON -DTRELVO_PYTHON=OFF -DTRELVO_TESTS=OFF

fuzz: deps $(FUZZ)/build.ninja
	cmake --build $(FUZZ) -j $(JOBS)
	bash fuzz/run.sh $(FUZZ)

screenshot: build
	@bash tools/screenshot.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ)

# Collects every tr() text of the sources into the translation files.
translations-update:
	/usr/lib/qt6/bin/lupdate -no-obsolete -locations none src -ts translations/Trelvo_en.ts translations/Trelvo_zh_CN.ts
