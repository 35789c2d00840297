# The commands of the README: `make run`, `make test` and `make package`. They install what is missing first.
SHELL := /bin/bash
JOBS ?= 2

DEBIAN_PACKAGES := cmake make g++ pkg-config qt6-base-dev libgtest-dev g++-mingw-w64-x86-64 \
	wine wine64 xvfb xauth xdotool x11-utils imagemagick genisoimage xorriso icoutils \
	desktop-file-utils fonts-noto-cjk fonts-ipafont-gothic fonts-ipafont-mincho locales openbox util-linux \
	trayer libx11-dev appstream lintian dpkg-dev file

.PHONY: run test deps build-linux build-windows package clean

run: build-linux
	./build/linux/tavimoro $(ARGS)

test: build-linux build-windows
	cd build/linux && ctest --output-on-failure -j$(JOBS)

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
