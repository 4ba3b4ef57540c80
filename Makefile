# The two commands of the README: `make run` and `make test`. Both install what is missing first.

PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev zlib1g-dev libgtest-dev libgmock-dev \
            libbenchmark-dev clang libclang-rt-14-dev python3 xvfb xauth fonts-dejavu-core
BUILD ?= build
BUILD_TYPE ?= Debug
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-sanitized fuzz bench clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; done; \
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
	$(MAKE) test BUILD=build-sanitized CMAKE_FLAGS="-DQUENDRY_SANITIZE=ON"

fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUENDRY_FUZZ=ON
	cmake --build build-fuzz --target fuzz_store
	mkdir -p build-fuzz/corpus
	build-fuzz/fuzz/fuzz_store -max_total_time=$${FUZZ_SECONDS:-300} -rss_limit_mb=1024 build-fuzz/corpus

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRY_BENCH=ON
	cmake --build build-bench --target bench_store bench_settings
	build-bench/bench/bench_store
	build-bench/bench/bench_settings

clean:
	rm -rf build build-sanitized build-fuzz build-bench
