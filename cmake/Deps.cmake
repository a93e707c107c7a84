# The libraries built by tools/deps.sh from Debian's source packages, as imported targets:
# dep::webp, dep::webpdemux, dep::webpmux, dep::dav1d, dep::lcms2, dep::jpeg and dep::turbojpeg.
# Their versions come from tools/deps.versions, the one place they are named; their cache folder
# from MORVANE_DEPS_CACHE (tools/configure.sh passes it).
set(MORVANE_DEPS_CACHE "$ENV{MORVANE_DEPS_CACHE}" CACHE PATH "Folder of the libraries tools/deps.sh builds")
if(NOT MORVANE_DEPS_CACHE)
  set(MORVANE_DEPS_CACHE /var/cache/morvane-deps CACHE PATH "" FORCE)
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_deps_width 32)
else()
  set(_deps_width 64)
endif()

file(STRINGS ${CMAKE_SOURCE_DIR}/tools/deps.versions _deps_lines REGEX "^[a-z]")
# Configure again when the versions change.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/deps.versions)
foreach(_line IN LISTS _deps_lines)
  string(REGEX MATCHALL "[^ \t]+" _fields "${_line}")
  list(GET _fields 0 _name)
  list(GET _fields 1 _version)
  set(_dir ${MORVANE_DEPS_CACHE}/${_name}-${_version}-${_deps_width})
  if(NOT EXISTS ${_dir}/.built)
    message(FATAL_ERROR "${_name} ${_version} (${_deps_width}-bit) is not built in ${MORVANE_DEPS_CACHE}: "
                        "run tools/deps.sh ${_deps_width}")
  endif()
  set(MORVANE_DEP_DIR_${_name} ${_dir})
  set(MORVANE_DEP_VERSION_${_name} ${_version})
endforeach()

# dep::NAME from lib/FILE of the library folder DEP, with its include folder.
function(morvane_dep_target name dep file)
  set(_dir ${MORVANE_DEP_DIR_${dep}})
  add_library(dep::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(dep::${name} PROPERTIES IMPORTED_LOCATION ${_dir}/lib/${file}
                                                INTERFACE_INCLUDE_DIRECTORIES ${_dir}/include)
  # Their headers are not ours to warn about.
  set_property(TARGET dep::${name} PROPERTY INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${_dir}/include)
endfunction()

morvane_dep_target(webp libwebp libwebp.a)
morvane_dep_target(webpdemux libwebp libwebpdemux.a)
morvane_dep_target(webpmux libwebp libwebpmux.a)
set_property(TARGET dep::webpdemux dep::webpmux PROPERTY INTERFACE_LINK_LIBRARIES dep::webp)
morvane_dep_target(dav1d dav1d libdav1d.a)
morvane_dep_target(lcms2 lcms2 liblcms2.a)
# One library carries both of libjpeg-turbo's interfaces: libjpeg's (jpeglib.h) and TurboJPEG's.
morvane_dep_target(turbojpeg libjpeg-turbo libturbojpeg.a)
add_library(dep::jpeg INTERFACE IMPORTED GLOBAL)
set_property(TARGET dep::jpeg PROPERTY INTERFACE_LINK_LIBRARIES dep::turbojpeg)
