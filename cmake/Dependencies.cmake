# Every third-party library, found once. Headers come in as SYSTEM so their
# warnings never mix with ours.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(ZXing REQUIRED)

pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo cairo-pdf)
pkg_check_modules(PANGO REQUIRED IMPORTED_TARGET pangocairo pangoft2 fontconfig)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract lept)
pkg_check_modules(POPPLER REQUIRED IMPORTED_TARGET poppler-cpp)
pkg_check_modules(QPDF REQUIRED IMPORTED_TARGET libqpdf)

# Debian ships OpenCV's imgproc without its CMake package files in the slim
# -dev packages, so the two libraries are named directly.
find_path(OPENCV_INCLUDE_DIR opencv2/imgproc.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(OPENCV_CORE_LIBRARY opencv_core REQUIRED)
find_library(OPENCV_IMGPROC_LIBRARY opencv_imgproc REQUIRED)
add_library(ovalon_opencv INTERFACE)
target_include_directories(ovalon_opencv SYSTEM INTERFACE ${OPENCV_INCLUDE_DIR})
target_link_libraries(ovalon_opencv INTERFACE ${OPENCV_IMGPROC_LIBRARY} ${OPENCV_CORE_LIBRARY})

# ZXing 1.4 wants UTF-8 std::string text; qpdf wants to know we use std::shared_ptr.
add_library(ovalon_zxing INTERFACE)
target_link_libraries(ovalon_zxing INTERFACE ZXing::ZXing)
target_compile_definitions(ovalon_zxing INTERFACE ZX_USE_UTF8)
add_library(ovalon_qpdf INTERFACE)
target_link_libraries(ovalon_qpdf INTERFACE PkgConfig::QPDF)
target_compile_definitions(ovalon_qpdf INTERFACE POINTERHOLDER_TRANSITION=4)

# Third-party include folders are SYSTEM, so their warnings stay out of our builds.
foreach(target PkgConfig::CAIRO PkgConfig::PANGO PkgConfig::TURBOJPEG PkgConfig::PNG
               PkgConfig::TIFF PkgConfig::HEIF PkgConfig::TESSERACT PkgConfig::POPPLER
               PkgConfig::QPDF ZXing::ZXing)
  get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
  if(dirs)
    set_target_properties(${target} PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${dirs}")
  endif()
endforeach()
