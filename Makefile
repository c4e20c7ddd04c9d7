# The commands of the README. Each installs the Debian packages it needs
# (only the missing ones), configures into build/ and builds.

BUILD_DIR     := build
FUZZ_DIR      := build-fuzz
FUZZ_SECONDS  ?= 600
JOBS          ?= 2

PACKAGES       := cmake make g++ pkg-config qt6-base-dev libgtest-dev
BENCH_PACKAGES := libinih-dev
FUZZ_PACKAGES  := clang libclang-rt-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install_missing,packages): apt-get update once, then install what is missing.
define install_missing
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${db:Status-Status}' $$p 2>/dev/null | grep -qx installed || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:$$missing"; \
	  $(SUDO) apt-get update && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi
endef

.PHONY: run test bench fuzz build deps

run: build
	$(BUILD_DIR)/src/planora

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

bench: PACKAGES += $(BENCH_PACKAGES)
bench: build
	$(BUILD_DIR)/bench/planora_bench

fuzz: PACKAGES += $(FUZZ_PACKAGES)
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DPLANORA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	mkdir -p $(FUZZ_DIR)/corpus
	$(FUZZ_DIR)/fuzz/reader_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(FUZZ_DIR)/corpus fuzz/seeds

build: deps
	cmake -S . -B $(BUILD_DIR)
	cmake --build $(BUILD_DIR) -j $(JOBS)

deps:
	$(call install_missing,$(PACKAGES))
