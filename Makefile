# The commands of the README: `make run`, `make test` and `make package`. They install what is missing first.
# `make fuzz` runs every fuzz target for FUZZ_SECONDS each (FUZZ_TARGETS picks some).
SHELL := /bin/bash
JOBS ?= 2
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= $(notdir $(wildcard tests/fuzz/corpus/*))

DEBIAN_PACKAGES := cmake make g++ pkg-config qt6-base-dev libgtest-dev g++-mingw-w64-x86-64 \
	wine wine64 xvfb xauth xdotool x11-utils imagemagick genisoimage xorriso icoutils \
	desktop-file-utils fonts-noto-cjk fonts-ipafont-gothic fonts-ipafont-mincho locales openbox util-linux \
	trayer libx11-dev strace clang libclang-rt-14-dev appstream lintian dpkg-dev file libblkid-dev

.PHONY: run test bench fuzz deps build-linux build-windows build-asan package clean

run: build-linux
	./build/linux/tavimoro $(ARGS)

# The unit and platform tests run twice: as built for use, and under the sanitizers with the fuzz targets'
# short runs (the end-to-end tests only once, with the programs as built for use).
test: build-linux build-windows build-asan
	status=0; \
	(cd build/linux && ctest --output-on-failure -j$(JOBS)) || status=1; \
	(cd build/asan && ctest --output-on-failure -j$(JOBS) -E '^e2e_') || status=1; \
	exit $$status

fuzz: build-asan
	status=0; for name in $(FUZZ_TARGETS); do \
		echo "== fuzz_$$name for $(FUZZ_SECONDS) s"; \
		bash tests/fuzz/run.sh build/asan/fuzz/fuzz_$$name $(FUZZ_SECONDS) tests/fuzz/corpus/$$name \
			build/asan/fuzz/work/$$name >build/asan/fuzz/$$name.log 2>&1 || { status=1; tail -40 build/asan/fuzz/$$name.log; }; \
		grep -h '^stat::number_of_executed_units\|^stat::new_units_added' build/asan/fuzz/$$name.log || true; \
	done; exit $$status

# The README's speed table: the benchmarks against their floor programs, in one run (not part of test).
bench: build-linux build-windows
	bash bench/run.sh

deps:
	@missing=""; for p in $(DEBIAN_PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		if [ "$$(id -u)" = 0 ]; then SUDO=""; \
		elif command -v sudo >/dev/null; then SUDO="sudo"; \
		else echo "Missing packages. Run as root: apt-get update && apt-get install -y$$missing"; exit 1; fi; \
		$$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq$$missing; \
	fi; \
	if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$$'; then \
		if [ "$$(id -u)" = 0 ]; then SUDO=""; else SUDO="sudo"; fi; \
		$$SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen && $$SUDO locale-gen >/dev/null \
			|| echo "Note: the ja_JP.UTF-8 locale is missing; Japanese text under Wine needs it."; \
	fi

build-linux: deps
	cmake --preset linux >/dev/null
	cmake --build build/linux -j$(JOBS)

build-windows: deps
	cmake --preset windows >/dev/null
	cmake --build build/windows -j$(JOBS)

# clang with AddressSanitizer and UndefinedBehaviorSanitizer: the unit and platform tests, and the fuzz targets.
build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build build/asan -j$(JOBS) --target tavimoro_unit_tests tavimoro_linux_tests fuzzers

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
