# The commands of the README: `make run`, `make test` and `make package`. They install what is missing first.
# `make soak N=10` runs every end-to-end test N times under load; `make fuzz` runs every fuzz target for
# FUZZ_SECONDS each (FUZZ_TARGETS picks some).
SHELL := /bin/bash
# cmake --build runs make inside this make: without this every step would say which folder it entered.
MAKEFLAGS += --no-print-directory
JOBS ?= 2
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= $(notdir $(wildcard tests/fuzz/corpus/*))

# What building and running the Linux program needs; then what building the Windows program, the tests,
# the benchmarks and the packages need on top.
RUN_PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-wayland libx11-dev libblkid-dev fonts-noto-cjk \
	fonts-ipafont-mincho
TEST_PACKAGES := libgtest-dev g++-mingw-w64-x86-64 wine wine64 xvfb xauth xdotool x11-utils imagemagick \
	genisoimage xorriso icoutils desktop-file-utils fonts-ipafont-gothic locales openbox util-linux trayer \
	strace clang libclang-rt-14-dev appstream lintian dpkg-dev file sway grim jq systemd dbus-daemon \
	python3-dbusmock xdg-utils libxml2-utils dbus-bin at-spi2-core python3-pyatspi gir1.2-atspi-2.0

.PHONY: run test soak bench fuzz deps deps-run build-linux build-windows build-asan package clean

run: deps-run
	cmake --preset linux >/dev/null
	cmake --build build/linux -j$(JOBS) --target tavimoro
	./build/linux/tavimoro $(ARGS)

# Each test runs once: the unit tests and the fuzz targets' short runs under the sanitizers (build/asan), the
# platform, end-to-end and package tests with the programs as built for use (build/linux). The end-to-end
# tests mostly wait for the programs, each on a display of its own, so more of them run at once than there
# are cores, and the sanitizer tree builds meanwhile. The slowest ten tests come last.
TEST_JOBS ?= 6
test: build-linux build-windows
	@echo "Testing build/linux while build/asan builds; its report follows the sanitizer tree's."
	@status=0; rm -f build/linux/tests.xml build/asan/tests.xml; \
	(cd build/linux && ctest --output-on-failure -j$(TEST_JOBS) --output-junit tests.xml) >build/linux-tests.log 2>&1 & \
	linux=$$!; \
	if $(MAKE) --no-print-directory build-asan >build/asan-build.log 2>&1; then \
		(cd build/asan && ctest --output-on-failure -j$(JOBS) --output-junit tests.xml) || status=1; \
	else \
		tail -n 40 build/asan-build.log; echo "build/asan did not build (the whole log: build/asan-build.log)"; status=1; \
	fi; \
	wait $$linux || status=1; \
	cat build/linux-tests.log; \
	echo "The slowest tests:"; \
	sed -n 's/.*<testcase name="\([^"]*\)".* time="\([0-9.]*\)".*/\2 \1/p' build/linux/tests.xml build/asan/tests.xml 2>/dev/null | \
		sort -rn | head -n 10 | awk '{printf "%8.1f s  %s\n", $$1, $$2}'; \
	exit $$status

# Every end-to-end test N times with both cores kept busy, in build folders of its own (build/soak), then
# a table of the failures (not part of test).
N ?= 10
soak: deps
	bash tests/tools/soak.sh $(N)

fuzz: build-asan
	status=0; for name in $(FUZZ_TARGETS); do \
		echo "== fuzz_$$name for $(FUZZ_SECONDS) s"; \
		bash tests/fuzz/run.sh build/asan/fuzz/fuzz_$$name $(FUZZ_SECONDS) tests/fuzz/corpus/$$name \
			build/asan/fuzz/work/$$name >build/asan/fuzz/$$name.log 2>&1 || { status=1; tail -40 build/asan/fuzz/$$name.log; }; \
		grep -h '^stat::number_of_executed_units\|^stat::new_units_added' build/asan/fuzz/$$name.log || true; \
	done; exit $$status

# The README's speed table: the benchmarks against their floor programs, in one run (not part of test).
bench: build-linux build-windows
	cmake --build build/linux -j$(JOBS) --target poll_bench poll_floor autorun_bench bare_tray tavimoro
	cmake --build build/windows -j$(JOBS) --target bare_labels
	bash bench/run.sh

deps-run:
	@bash tools/deps.sh "running" $(RUN_PACKAGES)

deps:
	@bash tools/deps.sh "building and testing" --locale $(RUN_PACKAGES) $(TEST_PACKAGES)

build-linux: deps
	cmake --preset linux >/dev/null
	cmake --build build/linux -j$(JOBS)

build-windows: deps
	cmake --preset windows >/dev/null
	cmake --build build/windows -j$(JOBS)

# clang with AddressSanitizer and UndefinedBehaviorSanitizer: the unit tests and the fuzz targets.
build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build build/asan -j$(JOBS) --target tavimoro_unit_tests fuzzers

# The Linux .deb (build/linux/tavimoro_VERSION_ARCH.deb) and the Windows zip
# (build/windows/tavimoro-VERSION-win64.zip), from only the programs they hold.
package: deps
	cmake --preset linux >/dev/null
	cmake --build build/linux -j$(JOBS) --target tavimoro tavimoro-ini tavimoro_dist
	cd build/linux && cpack
	cmake --preset windows >/dev/null
	cmake --build build/windows -j$(JOBS) --target tavimoro tavimoro-ini
	cd build/windows && cpack

clean:
	rm -rf build
