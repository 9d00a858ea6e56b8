# Host names of the six remote endpoints. Release builds default to names
# under the reserved .example domain; the test and demo presets point every
# endpoint at its own loopback address, where tools/vendor-server listens.
set(QUILLO_HOST_VENDOR_WEB       "www.velmora.example"      CACHE STRING "vendor web site")
set(QUILLO_HOST_SUPPORT          "support.velmora.example"  CACHE STRING "vendor support server")
set(QUILLO_HOST_DOWNLOAD         "download.velmora.example" CACHE STRING "driver download server")
set(QUILLO_HOST_LOCAL_TEST       "localtest.velmora.example" CACHE STRING "local test server")
set(QUILLO_HOST_SURVEY           "survey.velmora.example"   CACHE STRING "survey server")
set(QUILLO_HOST_ANALYTICS        "collect.analytics.example" CACHE STRING "analytics collection service")

# Whose signature a downloaded package must carry before the program starts
# it: the subject name of the signing certificate. Test and demo builds name
# the test publisher their packages are signed as.
set(QUILLO_PUBLISHER             "Velmora Halvard"          CACHE STRING "publisher of the packages the program starts")

# Test and demo builds can report what the program decided, for tests to read.
option(QUILLO_TEST_HOOKS "Build the test-only reports into the program" OFF)
