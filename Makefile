# Two commands for a newcomer:
#   make run    set up, build and start Zelvo.FLV
#   make test   set up, build and run every test (headless)

BUILD   ?= build
CHECK   ?= build-check
JOBS    ?= $(shell nproc)
PACKAGES = g++ cmake make pkg-config qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev \
           libgl-dev libmpv-dev mpv ffmpeg flvmeta libasound2-dev \
           xvfb xauth libgl1-mesa-dri xdotool fonts-noto-cjk \
           qt6-translations-l10n dbus-daemon
SUDO     = $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: run test check build deps bench format clean

run: build
	$(BUILD)/bin/Zelvo.FLV

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# it reuses the test media of the plain build.
check: deps
	cmake -S . -B $(CHECK) -DCMAKE_BUILD_TYPE=Debug -DZELVO_SANITIZE=ON \
	    -DZELVO_TEST_MEDIA=$(abspath $(BUILD))/testmedia >/dev/null
	cmake --build $(CHECK) -j$(JOBS)
	cd $(CHECK) && ctest --output-on-failure -j2

# apt-get only when something is missing.
deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

bench: build
	bash bench/run.sh $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(CHECK)
