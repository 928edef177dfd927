# Small AVI clips for the player tests, made with ffmpeg when the tests are
# built, with a bitmap of the first frame as the expected picture.
find_program(FFMPEG_EXECUTABLE ffmpeg REQUIRED)
set(clip_dir ${CMAKE_CURRENT_BINARY_DIR}/data)
set(clip ${clip_dir}/clip320.avi)
set(clip_frame0 ${clip_dir}/clip320-frame0.bmp)
add_custom_command(OUTPUT ${clip} ${clip_frame0}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${clip_dir}
  COMMAND ${FFMPEG_EXECUTABLE} -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=15
          -t 4 -c:v msvideo1 ${clip}
  COMMAND ${FFMPEG_EXECUTABLE} -loglevel error -y -i ${clip} -frames:v 1 -pix_fmt bgr24 ${clip_frame0}
  COMMENT "Making the player test clip"
  VERBATIM)
add_custom_target(plugin_test_clips DEPENDS ${clip} ${clip_frame0})
