# The fuzz harnesses, one per line: each is NAME.cpp here, built by the harness project and
# run for a few seconds by the main build's fuzz_smoke_ tests.
set(FUZZ_HARNESSES
  fuzz_assist_line
  fuzz_dat_file
  fuzz_movie
  fuzz_gopro
  fuzz_freegps
  fuzz_nmea_box
)
