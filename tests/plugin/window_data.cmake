# Data and helper programs of the plug-in window tests (window_*_test): a 160x120
# clip of key frames only (so that a frame shown after a seek is exact) with every
# decoded frame as raw top-down BGR (the pictures the window must show), and a
# stand-in for the companion player that records its command line.
set(window_clip ${clip_dir}/window160.avi)
set(window_frames ${clip_dir}/window160.bgr)
add_custom_command(OUTPUT ${window_clip} ${window_frames}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${clip_dir}
  COMMAND ${FFMPEG_EXECUTABLE} -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=15
          -t 6 -c:v msvideo1 -g 1 -keyint_min 1 ${window_clip}
  COMMAND ${FFMPEG_EXECUTABLE} -loglevel error -y -i ${window_clip} -f rawvideo -pix_fmt bgr24 ${window_frames}
  COMMENT "Making the window test clip and its decoded frames"
  VERBATIM)
add_custom_target(window_test_data DEPENDS ${window_clip} ${window_frames})

add_executable(window_companion_stub companion/RecordCommandLine.cpp)
set_target_properties(window_companion_stub PROPERTIES OUTPUT_NAME DAZAVOZ32
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/companion)

