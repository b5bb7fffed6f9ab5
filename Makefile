# The user's entry points. Builds go to build/ (build-asan/ for the sanitizer run).
BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local
EXAMPLE ?= examples/sun3-18/set.0hd

.PHONY: all deps build run test test-asan test-tsan demo bench bench-pipeline fuzz clean screenshots install package

all: build

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/quillmar $(wildcard $(EXAMPLE))

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMAR_SANITIZE=ON -DQUILLMAR_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

# The code with worker threads under ThreadSanitizer: the analysis tests
# (the Gaussian fit) and the autosave test (the backup writer).
test-tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_TSAN=ON -DQUILLMAR_GUI=OFF -DQUILLMAR_BENCH=OFF
	cmake --build build-tsan -j $(JOBS) --target test_analysis test_files test_proc test_app
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R '^analysis$$'
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 QUILLMAR_HOME=$(CURDIR)/build-tsan ./test_files --gtest_filter='WorkspaceFile.Autosave*:OpenScansTest.*'
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ./test_proc --gtest_filter='Smoothing.AllMode*'
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ./test_app --gtest_filter='ParallelFor.*'

# Runs the example packet over the example set in $(BUILD)/demo and lists
# what it wrote there.
demo: build
	@rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	cd $(BUILD)/demo && $(abspath $(BUILD))/quillmar-batch $(abspath examples/packets/sun3-18.pkf)
	@echo "Written to $(BUILD)/demo:" && ls -l $(BUILD)/demo

# The programs in $(PREFIX)/bin, their data in $(PREFIX)/share/quillmar, the
# launcher and icon in the desktop's places (DESTDIR is honoured).
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package (.deb) of the same files under /usr, in $(BUILD).
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@for b in $(BUILD)/bench_*; do [ -x $$b ] && $$b; done

# A reduction (load 200 scans, Gauss and median smoothing, save) run by a
# Quillmar script and by the same steps in astropy + scipy; prints the ratio.
bench-pipeline: build
	bench/pipeline/run.sh $(BUILD)

# The pictures README shows, painted offscreen from the example set.
SHOT = QT_QPA_PLATFORM=offscreen $(BUILD)/quillmar --size 1200x760 --screenshot
screenshots: build
	$(SHOT) docs/screenshot-scan.png $(EXAMPLE)
	$(SHOT) docs/screenshot-group.png --group 3 $(EXAMPLE)
	$(SHOT) docs/screenshot-disk.png --view sun-disk,sun-center $(EXAMPLE)
	$(SHOT) docs/screenshot-fits.png --fits examples/fits/sun512.fits --view sun-center $(EXAMPLE)

# Builds the libFuzzer targets with clang and runs each for 60 seconds.
FUZZ_TARGETS = data_file header_file workspace mem_fits scan_set group_fits packet metafile_ps
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUILLMAR_FUZZ=ON -DQUILLMAR_GUI=OFF -DQUILLMAR_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target $(foreach t,$(FUZZ_TARGETS),fuzz_$(t) fuzz_drive_$(t))
	@for t in $(FUZZ_TARGETS); do \
	  build-fuzz/fuzz_drive_$$t --write-seeds build-fuzz/corpus/$$t && \
	  build-fuzz/fuzz_$$t -max_total_time=60 build-fuzz/corpus/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD) build-asan build-fuzz
