# Two commands for a fresh Debian machine:
#   make run    installs what is missing, builds, and starts the program in a demo folder
#   make test   installs what is missing, builds, and runs every test headless

BUILD ?= build
DEMO  ?= $(BUILD)/demo
JOBS  ?= $(shell nproc)

# Debian packages the build, the tests and the program need.
PACKAGES = cmake make g++ pkg-config \
           qt6-base-dev qt6-base-dev-tools libgl-dev \
           libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev \
           fonts-liberation2 fp-utils libmspack-dev libxml2-dev clang \
           libmount-dev libudev-dev libexif-dev libfuse3-dev fuse3 \
           qt6-svg-dev dpkg-dev file desktop-file-utils appstream lintian libtsan2

# Debian packages only `make test-volumes` needs: the VM, and what makes, serves and mounts its volumes
# (the VM runs on the host's own root, so they are installed here).
VOLUME_PACKAGES = qemu-system-x86 busybox-static kmod xz-utils util-linux iproute2 dmsetup dosfstools \
                  exfatprogs ntfs-3g samba cifs-utils nfs-kernel-server rpcbind

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build demo run test test-volumes bench fuzz install package artwork clean

all: build

# Installs only what is missing of the packages named, so a prepared machine pays nothing.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

configure: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# A demo folder of sample photographs with capture dates, so a first try renames none of your files.
demo: build
	$(BUILD)/make_samples $(DEMO)
	@mkdir -p $(DEMO)
	cp $(BUILD)/rename.chm $(DEMO)/rename.chm

run: demo
	cd $(DEMO) && exec $(CURDIR)/$(BUILD)/quarimo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Our own tests on real vfat, exFAT and ntfs3 volumes, a Samba share and an NFS export, inside a small
# VM without network (tests/volumes/run.sh); minutes under emulation, so not part of `make test`.
test-volumes: build
	$(call install_missing,$(VOLUME_PACKAGES))
	tests/volumes/run.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target bench

# The capture-date reader and the help file's model under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, built by clang in a folder of its own, each for a bounded time: the first
# seeded with the unit tests' sample files, the second with our own help file and its sitemaps and pages.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

fuzz: deps build
	@[ -f $(FUZZ_BUILD)/CMakeCache.txt ] || cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	rm -rf $(FUZZ_BUILD)/seeds && $(FUZZ_BUILD)/make_seeds $(FUZZ_BUILD)/seeds
	rm -rf $(FUZZ_BUILD)/seeds-help && mkdir -p $(FUZZ_BUILD)/seeds-help && cp $(FUZZ_BUILD)/rename.chm \
	    $(addprefix resources/help/,contents.hhc index.hhk index.htm rules.htm) $(FUZZ_BUILD)/seeds-help/
	# The help tests' crafted files and hostile pages join the seeds.
	QUARIMO_FUZZ_SEEDS=$(FUZZ_BUILD)/seeds-help $(BUILD)/tests/help_tests \
	    --gtest_filter='*CraftedHelpFile*:*HostilePages*' > /dev/null
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/corpus-help
	$(FUZZ_BUILD)/fuzz_capture -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/seeds
	$(FUZZ_BUILD)/fuzz_help -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/help- $(FUZZ_BUILD)/corpus-help $(FUZZ_BUILD)/seeds-help

install: build
	cmake --install $(BUILD)

# The Debian package, quarimo_<version>_<arch>.deb, lands in the build folder.
package: build
	cd $(BUILD) && cpack -G DEB

# Redraws the photograph, the icon and the glyphs under resources/ from their generator; commit the result.
artwork: configure
	cmake --build $(BUILD) --target make_artwork
	$(BUILD)/tools/make_artwork resources

clean:
	rm -rf $(BUILD)
