# SPDX-License-Identifier: GPL-3.0-or-later
# Two commands for a newcomer: `make run` and `make test`. Both install what the build needs
# (Debian/Ubuntu packages) when it is missing.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=
RUN_ARGS   ?= --simulator --sim-speed 10 --open examples/demo.zkv

PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-serialport-dev libqt6svg6 \
            libgl-dev fonts-dejavu-core
# Window titles are tested under an X server of the test's own.
PACKAGES += xvfb xauth x11-utils
# The firing report's tests read the PDF's text and pages with pdftotext.
PACKAGES += poppler-utils
# Qt's own texts (standard buttons, file dialogs) in Russian.
PACKAGES += qt6-translations-l10n
# The firing logbook: Qt's SQLite driver, and the sqlite3 shell its tests alter a logbook with.
PACKAGES += libqt6sql6-sqlite sqlite3
# The shared logbook: Qt's PostgreSQL driver, and the server its tests start themselves.
PACKAGES += libqt6sql6-psql postgresql
# The status page: its HTTP server library, and the programs its tests ask and draw it with.
PACKAGES += libcpp-httplib-dev curl chromium

.PHONY: all deps configure build run test clean format bench fuzz

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	echo "Missing packages:$$missing"; \
	if [ "$$(id -u)" = "0" ]; then \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then \
	  sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	else \
	  echo "Installing them needs root. Run:"; \
	  echo "    sudo apt-get install$$missing"; \
	  echo "then 'make $(MAKECMDGOALS)' again."; \
	  exit 1; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/zkv-console $(RUN_ARGS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Benchmarks: every executable built under $(BUILD_DIR)/bench runs in turn and prints its
# figures; a benchmark that fails is reported and the target still succeeds.
bench: build
	@for b in $$(find $(BUILD_DIR)/bench -type f -perm -u+x -not -path '*/CMakeFiles/*' | sort); do \
	  echo "== $$b"; \
	  QT_QPA_PLATFORM=offscreen "$$b" || echo "== $$b ended with status $$?"; \
	done; true

# Installation and the Debian package. `make install PREFIX=DIR` installs into a prefix (default
# /usr/local); `make package` builds build/zkv-console_<version>_<arch>.deb; `make package-check`
# unpacks it into a temporary root and checks it (program start, desktop entry, AppStream data).
PREFIX ?= /usr/local
package: PACKAGES += dpkg-dev file
package-check: PACKAGES += dpkg-dev file desktop-file-utils appstream

.PHONY: install package package-check
install: build
	cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

package: build
	cd $(BUILD_DIR) && cpack -G DEB

package-check: package
	dist/check-package.sh $(BUILD_DIR)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fuzzing: the libFuzzer targets under fuzz/, built with clang (installed when missing) against
# the core libraries under AddressSanitizer and UndefinedBehaviorSanitizer, each run for
# FUZZ_SECONDS from the committed seeds. CI runs them for 10 s each.
FUZZ_DIR      ?= build-fuzz
FUZZ_SECONDS  ?= 600
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_BUILD_TYPE ?= RelWithDebInfo

fuzz: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=$(FUZZ_BUILD_TYPE) -DCMAKE_CXX_COMPILER=clang++ \
	      -DZKV_FUZZ=ON $(CMAKE_ARGS)
	cmake --build $(FUZZ_DIR) --target zkv_fuzzers -j $(JOBS)
	fuzz/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR)
