# Every library the runner links, found the way Debian packages them.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(CURL REQUIRED)
find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_image CONFIG REQUIRED)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
find_package(OpenAL REQUIRED)
find_package(json-c CONFIG REQUIRED)
find_package(box2d CONFIG REQUIRED)
find_package(Freetype REQUIRED)
pkg_check_modules(ALUT REQUIRED IMPORTED_TARGET freealut)
pkg_check_modules(FFI REQUIRED IMPORTED_TARGET libffi)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(CDIO REQUIRED IMPORTED_TARGET libcdio libcdio_cdda libcdio_paranoia)

# Opened by the runner when first needed (platform/shared_library.h), not linked: only their
# headers are used at build time.
set(KF_LAZY_LIBRARY_HEADERS
  $<TARGET_PROPERTY:CURL::libcurl,INTERFACE_INCLUDE_DIRECTORIES>
  $<TARGET_PROPERTY:PkgConfig::FLUIDSYNTH,INTERFACE_INCLUDE_DIRECTORIES>
  $<TARGET_PROPERTY:PkgConfig::GTK3,INTERFACE_INCLUDE_DIRECTORIES>)

set(KF_DEPENDENCIES
  ZLIB::ZLIB PNG::PNG
  SDL2::SDL2 SDL2_image::SDL2_image
  OpenGL::OpenGL OpenGL::EGL
  OpenAL::OpenAL PkgConfig::ALUT
  json-c::json-c box2d::box2d
  PkgConfig::FFI PkgConfig::MPG123
  Freetype::Freetype PkgConfig::FONTCONFIG PkgConfig::CDIO
  Threads::Threads ${CMAKE_DL_LIBS})
