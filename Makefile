# The two commands of the README do all the set-up: `make run` and `make test`.
BUILD_DIR ?= build
SAN_DIR   ?= build-sanitize
TSAN_DIR  ?= build-tsan
JOBS      ?= $(shell nproc)
PREFIX    ?= /usr/local
FILE      ?=

CMAKE_FLAGS ?=

DEB_DIR   ?= build-deb

.PHONY: all deps configure build run test test-sanitize test-tsan bench install clean fuzz mutate deb

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target scrivo
	$(BUILD_DIR)/scrivo $(if $(FILE),"$(FILE)")

test: build
	scripts/run-tests $(BUILD_DIR)

test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DSCRIVO_SANITIZE=ON -DSCRIVO_BUILD_BENCH=OFF
	cmake --build $(SAN_DIR) -j $(JOBS)
	scripts/run-tests $(SAN_DIR)

test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DSCRIVO_TSAN=ON -DSCRIVO_BUILD_BENCH=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target scrivo_tests
	scripts/run-tests $(TSAN_DIR) --gtest_filter='$(or $(TSAN_FILTER),*Watcher*:*Notifier*:List*:Tree*:FileLoader*:DiskReload*:DiskFollow*:*Journal*:FileHash*:TextFileRoundTrip*-RecoveryProgram*)'

bench: build
	scripts/run-bench $(BUILD_DIR)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A Debian package in this folder: scrivo_<version>_<arch>.deb, then lintian's
# verdict on it.
deb:
	@scripts/install-deps deb
	cmake -S . -B $(DEB_DIR) -DCMAKE_BUILD_TYPE=Release -DSCRIVO_BUILD_TESTS=OFF -DSCRIVO_BUILD_BENCH=OFF \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"
	cmake --build $(DEB_DIR) -j $(JOBS)
	cd $(DEB_DIR) && cpack -G DEB
	cp $(DEB_DIR)/scrivo_*.deb .
	lintian --fail-on error ./scrivo_*.deb

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(TSAN_DIR) $(DEB_DIR)

FUZZ_DIR  ?= build-fuzz
FUZZ_SECONDS ?= 300
# The editor the codec target loads text into uses fontconfig, whose
# allocations live until exit; findings go to the fuzz build folder.
FUZZ_ENV   = LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0
FUZZ_FLAGS = -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/

# libFuzzer runs of the file codec and the settings reader (clang).
fuzz:
	@scripts/install-deps fuzz
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIVO_FUZZ=ON -DSCRIVO_BUILD_TESTS=OFF -DSCRIVO_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target codec_fuzz profile_fuzz
	mkdir -p $(FUZZ_DIR)/corpus/codec $(FUZZ_DIR)/corpus/profile
	$(FUZZ_ENV) $(FUZZ_DIR)/fuzz/codec_fuzz $(FUZZ_FLAGS) $(FUZZ_DIR)/corpus/codec fuzz/seeds/codec
	$(FUZZ_ENV) $(FUZZ_DIR)/fuzz/profile_fuzz $(FUZZ_FLAGS) $(FUZZ_DIR)/corpus/profile fuzz/seeds/profile

# Small faults put into a copy of the tree one at a time, each checked by the
# test suites of its unit (scripts/mutate); takes the better part of an hour.
mutate:
	@scripts/install-deps mutate
	scripts/mutate
