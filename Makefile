# The commands of the README. Each installs the Debian packages it needs
# (only the missing ones), configures into build/ and builds.

BUILD_DIR     := build
SANITIZED_DIR := build-sanitized
FUZZ_DIR      := build-fuzz
PACKAGE_DIR   := build-package
FUZZ_SECONDS  ?= 600
JOBS          ?= 2

PACKAGES       := cmake make g++ pkg-config qt6-base-dev qt6-translations-l10n libgtest-dev libxxhash-dev \
                  desktop-file-utils appstream shared-mime-info libglib2.0-bin
BENCH_PACKAGES := libinih-dev
PACKAGE_PACKAGES := dpkg-dev lintian
FUZZ_PACKAGES  := clang libclang-rt-14-dev
WINDOWS_PACKAGES := cmake make ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools googletest libxxhash-dev \
                    qt6-base-dev qt6-translations-l10n
WINDOWS_TEST_PACKAGES := wine64 xvfb xauth
WINDOWS_PACKAGE_PACKAGES := nsis zip

# Planora for Windows, cross-built with MinGW-w64 against Qt for Windows:
# built once from Debian's qt6-base source into the cache folder, or taken
# from a prebuilt copy (a .tar.xz or a folder) named by QT_WINDOWS_PREBUILT.
WINDOWS_DIR        := build-windows
QT_WINDOWS_CACHE   ?= $(HOME)/.cache/planora/qt-6.4.2-mingw
QT_WINDOWS_PREBUILT ?=
VERSION            := $(shell grep '^project' CMakeLists.txt | grep -o 'VERSION [0-9.]*' | cut -d' ' -f2)

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

.PHONY: run test bench fuzz package configure build sanitized deps windows windows-test windows-package

# Builds only what it runs; make test builds the rest.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target planora
	$(BUILD_DIR)/src/planora

# Every test twice: in the plain build, and in one under AddressSanitizer and UBSan.
test: build sanitized
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)
	cd $(SANITIZED_DIR) && ctest --output-on-failure --parallel $(JOBS)

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

# A release build with Debian's hardening flags, packed by CPack and checked by lintian.
package: PACKAGES += $(PACKAGE_PACKAGES)
package: deps
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DPLANORA_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack
	lintian --fail-on error $(PACKAGE_DIR)/planora_*.deb

windows: PACKAGES = $(WINDOWS_PACKAGES)
windows: deps
	packaging/windows/qt_for_windows.sh $(QT_WINDOWS_CACHE) "$(QT_WINDOWS_PREBUILT)"
	mkdir -p $(WINDOWS_DIR)/xxhash && install -C -m 644 /usr/include/xxhash.h $(WINDOWS_DIR)/xxhash/
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
	  -DPLANORA_WERROR=ON \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DPLANORA_WINDOWS_QT=$(QT_WINDOWS_CACHE) \
	  -DCMAKE_PREFIX_PATH=$(QT_WINDOWS_CACHE) -DQT_HOST_PATH=/usr \
	  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
	  -DXXHASH_INCLUDE_DIR=$(CURDIR)/$(WINDOWS_DIR)/xxhash -DPLANORA_GOOGLETEST_SOURCE=/usr/src/googletest
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The three test programs under Wine.
windows-test: windows
	$(call install_missing,$(WINDOWS_TEST_PACKAGES))
	tests/windows/run_under_wine.sh $(WINDOWS_DIR)

# An installer in Brazilian Portuguese and a portable .zip, both with all the program needs.
windows-package: windows
	$(call install_missing,$(WINDOWS_PACKAGE_PACKAGES))
	rm -rf $(WINDOWS_DIR)/stage
	cmake --install $(WINDOWS_DIR) --prefix $(CURDIR)/$(WINDOWS_DIR)/stage/Planora --strip
	packaging/windows/file_list.sh $(WINDOWS_DIR)/stage/Planora > $(WINDOWS_DIR)/files.nsh
	makensis -V2 -DVERSION=$(VERSION) -DFILES=$(CURDIR)/$(WINDOWS_DIR)/files.nsh \
	  -DOUTFILE=$(CURDIR)/$(WINDOWS_DIR)/Planora-$(VERSION)-setup.exe packaging/windows/planora.nsi
	cd $(WINDOWS_DIR)/stage && rm -f ../Planora-$(VERSION)-windows.zip && zip -qr ../Planora-$(VERSION)-windows.zip Planora
	@echo "Installer: $$(du -k $(WINDOWS_DIR)/Planora-$(VERSION)-setup.exe | cut -f1) KB," \
	  "zip: $$(du -k $(WINDOWS_DIR)/Planora-$(VERSION)-windows.zip | cut -f1) KB," \
	  "installed folder: $$(du -sk $(WINDOWS_DIR)/stage/Planora | cut -f1) KB"

configure: deps
	cmake -S . -B $(BUILD_DIR) -DPLANORA_WERROR=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Lighter optimisation and line tables only: the second build compiles in half the time.
sanitized: deps
	cmake -S . -B $(SANITIZED_DIR) -DPLANORA_SANITIZE=ON -DPLANORA_WERROR=ON \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
	cmake --build $(SANITIZED_DIR) -j $(JOBS)

deps:
	$(call install_missing,$(PACKAGES))
