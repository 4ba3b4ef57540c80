# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands of the README: `make run` and `make test`. Both install what is missing first.
# `make release` builds the program for users (a Release build of its own), `make install PREFIX=...` installs
# that build, `make package` makes its Debian packages and `make package-check` checks them.

# prometheus brings promtool, which the tests check the metrics and the examples in docs/prometheus with.
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev zlib1g-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libcurl4-openssl-dev prometheus clang libclang-rt-14-dev python3 xvfb xauth unzip \
            desktop-file-utils dpkg-dev fonts-dejavu-core
BUILD ?= build
BUILD_TYPE ?= Debug
CMAKE_FLAGS ?=
# The tools that check the Debian packages, needed by `make package-check` only.
PACKAGE_CHECK_PACKAGES := lintian appstream man-db desktop-file-utils
# What `make service-check` needs to boot the distribution's service manager in private namespaces.
SERVICE_CHECK_PACKAGES := systemd util-linux python3
RELEASE_BUILD ?= build-release
# The Release build is made as Debian builds its packages: for /usr, with the distribution's hardening flags.
RELEASE_CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQUENDRY_DEB_BUILDFLAGS=ON
# What `make release` builds: what an install holds. CI builds every target.
RELEASE_TARGETS ?= quendry quendry_side_archives quendry_documents
PREFIX ?= /usr/local

.PHONY: all deps install-packages configure build run test test-sanitized release install package package-check \
        service-check fuzz bench clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages NEEDED="$(PACKAGES)"

install-packages:
	@missing=""; \
	for p in $(NEEDED); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	  elif command -v sudo >/dev/null 2>&1; then \
	    sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	  else \
	    echo "Missing packages. Please run as root:"; \
	    echo "  apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "quendry is a desktop program and needs a display (none found in DISPLAY or WAYLAND_DISPLAY)."; \
	  echo "On a machine without one, start it under a virtual display:  xvfb-run make run"; \
	  echo "To start a server from a script instead:  $(BUILD)/quendry run --help"; \
	  exit 1; \
	fi
	$(BUILD)/quendry

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

test-sanitized:
	$(MAKE) test BUILD=build-sanitized CMAKE_FLAGS="-DQUENDRY_SANITIZE=ON $(CMAKE_FLAGS)"

# The service quendry@NAME under the distribution's own systemd, booted in private namespaces (as root; skipped
# otherwise), installed as the packages and as `make install PREFIX=/usr/local` install it.
service-check: release
	@$(MAKE) --no-print-directory install-packages NEEDED="$(SERVICE_CHECK_PACKAGES)"
	cmake --build $(RELEASE_BUILD) --target stand_in_engine
	cd $(RELEASE_BUILD) && ctest -L service --output-on-failure

# Each fuzz target runs for FUZZ_SECONDS (300 by default); the store target starts from small stores, the zip
# targets from the peer test archives and the inputs they once stopped on, the status reply target from a recorded reply.
ZIP_SEEDS := tests/data/zip-peers/go tests/data/zip-peers/libzip tests/data/zip-fuzz

release: deps
	cmake -S . -B $(RELEASE_BUILD) -G Ninja $(RELEASE_CMAKE_FLAGS) $(CMAKE_FLAGS)
	cmake --build $(RELEASE_BUILD) $(if $(filter all,$(RELEASE_TARGETS)),,--target $(RELEASE_TARGETS))

# Installs the Release build as it is: a root who installs never compiles in the user's tree.
install:
	@if [ ! -f $(RELEASE_BUILD)/cmake_install.cmake ] || [ ! -x $(RELEASE_BUILD)/quendry ]; then \
	  echo "There is no Release build in $(RELEASE_BUILD) to install."; \
	  echo "Build it first as yourself:  make release"; \
	  echo "then install it:  sudo make install PREFIX=$(PREFIX)"; \
	  exit 1; \
	fi
	cmake --install $(RELEASE_BUILD) --prefix $(PREFIX)
	@# The service's system user, as the package makes it; a staged install (DESTDIR) leaves that to its package.
	@if [ -z "$(DESTDIR)" ] && [ "$$(id -u)" = 0 ] && command -v systemd-sysusers >/dev/null 2>&1; then \
	  echo "systemd-sysusers $(PREFIX)/lib/sysusers.d/quendry.conf"; \
	  systemd-sysusers $(PREFIX)/lib/sysusers.d/quendry.conf; \
	fi

package: release
	cd $(RELEASE_BUILD) && cpack -G DEB
	@echo "Install them with:  sudo apt install ./$(RELEASE_BUILD)/quendry_*.deb ./$(RELEASE_BUILD)/quendry-gui_*.deb"

package-check: package
	@$(MAKE) --no-print-directory install-packages NEEDED="$(PACKAGE_CHECK_PACKAGES)"
	cd $(RELEASE_BUILD) && ctest -L package --output-on-failure

fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUENDRY_FUZZ=ON
	cmake --build build-fuzz --target fuzz_store fuzz_zip_open fuzz_zip_extract fuzz_status_reply
	mkdir -p build-fuzz/corpus build-fuzz/corpus-zip-open build-fuzz/corpus-zip-extract build-fuzz/corpus-status
	build-fuzz/fuzz/fuzz_store -max_total_time=$${FUZZ_SECONDS:-300} -rss_limit_mb=1024 -artifact_prefix=build-fuzz/ build-fuzz/corpus tests/data/stores
	build-fuzz/fuzz/fuzz_zip_open -max_total_time=$${FUZZ_SECONDS:-300} -rss_limit_mb=1024 -artifact_prefix=build-fuzz/ build-fuzz/corpus-zip-open $(ZIP_SEEDS)
	build-fuzz/fuzz/fuzz_zip_extract -max_total_time=$${FUZZ_SECONDS:-300} -rss_limit_mb=1024 -artifact_prefix=build-fuzz/ build-fuzz/corpus-zip-extract $(ZIP_SEEDS)
	build-fuzz/fuzz/fuzz_status_reply -max_total_time=$${FUZZ_SECONDS:-300} -rss_limit_mb=1024 -artifact_prefix=build-fuzz/ build-fuzz/corpus-status tests/data/status-replies

# Each benchmark prints its figures and adds its goals to a summary, shown at the end; a missed goal fails
# `make bench` only with BENCH_STRICT=1, a benchmark that cannot run always does.
BENCHES := bench_store bench_settings bench_zip bench_scan bench_run bench_status bench_startup
# The tools the commands are measured against.
BENCH_PEERS := unzip python3 qstat mawk
bench: deps
	@$(MAKE) --no-print-directory install-packages NEEDED="$(BENCH_PEERS)"
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRY_BENCH=ON
	cmake --build build-bench --target $(BENCHES)
	@summary=build-bench/summary.tsv; rm -f $$summary; failed=""; \
	for bench in $(BENCHES); do \
	  echo "== $$bench"; \
	  QUENDRY_BENCH_SUMMARY=$$summary build-bench/bench/$$bench || failed="$$failed $$bench"; \
	done; \
	echo; awk -F'\t' 'BEGIN { printf "%-40s %-16s %-12s %s\n", "measure", "goal", "figure", "" } \
	  { printf "%-40s %-16s %-12s %s\n", $$1, $$2, $$3, $$4 }' $$summary; \
	if [ -n "$$failed" ]; then echo "could not run:$$failed"; exit 1; fi; \
	if [ "$${BENCH_STRICT:-0}" = 1 ] && grep -q 'MISSED$$' $$summary; then exit 1; fi

clean:
	rm -rf build build-sanitized build-fuzz build-bench $(RELEASE_BUILD)
