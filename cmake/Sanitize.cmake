# -DTRACESWEEP_SANITIZE=ON instruments every target of the project with
# AddressSanitizer and UndefinedBehaviorSanitizer; the first finding ends the
# program (no recovery), so a test that trips one fails.
option(TRACESWEEP_SANITIZE "Build with -fsanitize=address,undefined" OFF)
if(TRACESWEEP_SANITIZE)
  set(ts_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all)
  target_compile_options(ts_settings INTERFACE ${ts_sanitizers} -fno-omit-frame-pointer)
  target_link_options(ts_settings INTERFACE ${ts_sanitizers})
endif()
