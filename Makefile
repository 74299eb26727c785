# Two commands for a newcomer:
#   make run    set up, build and start Zelvo.FLV
#   make test   set up, build and run every test (headless)
#   make fuzz   build the parsers' fuzz targets with clang and run each for a while
#               (FUZZ_SECONDS=600 for longer, FUZZERS="fuzz_settings" for some only)
#   make screenshots   retake the help's pictures of the windows (help/images/)
#   make install   install under PREFIX (default /usr/local), below DESTDIR when given
#   make package   build the Debian package zelvo-flv_<version>_<arch>.deb in build/

BUILD   ?= build
CHECK   ?= build-check
JOBS    ?= $(shell nproc)
PACKAGES = g++ cmake make pkg-config qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev \
           libgl-dev libmpv-dev mpv ffmpeg flvmeta libasound2-dev \
           xvfb xauth libgl1-mesa-dri xdotool x11-utils fonts-noto-cjk \
           qt6-translations-l10n dbus-daemon procps \
           libavformat-dev libavcodec-dev libavutil-dev libswscale-dev \
           qt6-svg-dev desktop-file-utils appstream weston qt6-wayland
SUDO     = $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
PREFIX  ?= /usr/local

FUZZ          ?= build-fuzz
FUZZ_SECONDS  ?= 60
FUZZ_JOBS     ?= 2
FUZZ_RSS_MB   ?= 2048
FUZZ_TIMEOUT  ?= 10
FUZZ_MEDIA    ?= $(abspath $(BUILD))/testmedia
FUZZERS       ?= $(patsubst tests/fuzz/%.cpp,%,$(wildcard tests/fuzz/fuzz_*.cpp))
FUZZ_PACKAGES  = clang libclang-rt-14-dev cmake make qt6-base-dev libavformat-dev libavcodec-dev libavutil-dev

.PHONY: run test check build deps fuzz fuzz-deps bench format clean screenshots install package

run: build
	$(BUILD)/bin/Zelvo.FLV

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

# make install [PREFIX=/usr] [DESTDIR=/some/stage]: PREFIX goes to cmake quoted, DESTDIR in
# the environment (make hands a variable set on its command line to the commands it runs),
# so blanks and quotes in either are kept.
install: build
	PREFIX='$(subst ','\'',$(PREFIX))' && cmake --install $(BUILD) --prefix "$$PREFIX"

package: build
	cd $(BUILD) && cpack -G DEB

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# it reuses the test media of the plain build.
check: deps
	cmake -S . -B $(CHECK) -DCMAKE_BUILD_TYPE=Debug -DZELVO_SANITIZE=ON \
	    -DZELVO_TEST_MEDIA=$(abspath $(BUILD))/testmedia >/dev/null
	cmake --build $(CHECK) -j$(JOBS)
	cd $(CHECK) && ctest --output-on-failure -j2

# Fuzz targets for the parsers, built with clang and libFuzzer in $(FUZZ)/ (only the
# sources they need), each run for FUZZ_SECONDS, FUZZ_JOBS at a time; any finding fails.
fuzz: fuzz-deps
	cmake -S tests/fuzz -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(FUZZ) -j$(JOBS) --target $(FUZZERS)
	rm -rf $(FUZZ)/seeds
	bash tests/fuzz/make-seeds.sh $(FUZZ)/seeds $(FUZZ_MEDIA)
	FUZZ_TIMEOUT=$(FUZZ_TIMEOUT) bash tests/fuzz/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZ_RSS_MB) $(FUZZERS)

# apt-get only when something is missing.
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

fuzz-deps:
	$(call install-missing,$(FUZZ_PACKAGES))

bench: build
	bash bench/run.sh $(BUILD)

# The help's pictures of the real windows, taken on a virtual X display.
screenshots: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j$(JOBS) --target Zelvo.FLV ZelvoResFLV ZelvoToolFLV
	bash tools/make-screenshots.sh $(BUILD)/bin help/images

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(CHECK) $(FUZZ)
