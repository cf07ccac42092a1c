# What `cmake --install` and the Debian package put where (GNUInstallDirs under the prefix):
#   bin/                    veltrane (the launcher), veltrane-tool, veltrane-scene (and
#                           veltrane-headless when built)
#   libexec/veltrane/       veltrane, the viewer itself
#   share/veltrane/scene/   the default data set, baked during the build
#   share/man/man1/         the manual pages
#   share/doc/veltrane/     README.md (packaging/README.md), copyright, changelog.gz
#   share/applications/    veltrane.desktop (the scene, or a model given to it)
#   share/icons/hicolor/    the icon, scalable and 256 x 256
#   share/metainfo/         the AppStream description
# Included at the end of the top-level CMakeLists.txt, so that every program target exists.
include(GNUInstallDirs)

set(VELTRANE_MAINTAINER "Veltrane developers <veltrane@example.org>" CACHE STRING
    "The Debian package's Maintainer field")
find_program(VELTRANE_GZIP gzip REQUIRED)

# Everything the package holds, for scripts/package.sh (which builds only this).
add_custom_target(veltrane_package_contents)

# The programs. The viewer takes no arguments and needs a writable data set in its working
# directory, so the command "veltrane" is a launcher (below) and the viewer lives beside the
# package's private parts; in the build tree build/veltrane stays the viewer.
set(veltrane_programs veltrane-tool)
if(TARGET veltrane-headless)
  list(APPEND veltrane_programs veltrane-headless)
endif()
install(TARGETS ${veltrane_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(VELTRANE_VIEWER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/veltrane)
install(TARGETS veltrane RUNTIME DESTINATION ${VELTRANE_VIEWER_DIR})
add_dependencies(veltrane_package_contents veltrane ${veltrane_programs})

# The default data set: baked again only when veltrane-tool (which holds the scene and the
# shader sources) changes (VELTRANE_DATA_SET).
set(scene_outputs)
if(VELTRANE_DATA_SET)
  set(scene_dir ${PROJECT_BINARY_DIR}/default-scene)
  set(scene_files lightmap.qdx data/lightmap.rbf.dct wood.ppm bake-report.txt bake-report.png)
  foreach(shader ${bake_shaders})
    list(APPEND scene_files shader/dir/${shader}.cgz)
  endforeach()
  list(TRANSFORM scene_files PREPEND ${scene_dir}/ OUTPUT_VARIABLE scene_outputs)
  add_custom_command(
    OUTPUT ${scene_outputs}
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:veltrane-tool> -DOUT=${scene_dir}
            -DLOG=${PROJECT_BINARY_DIR}/default-scene.log
            -P ${CMAKE_CURRENT_LIST_DIR}/bake_default_scene.cmake
    DEPENDS veltrane-tool ${CMAKE_CURRENT_LIST_DIR}/bake_default_scene.cmake
    COMMENT "Baking the default data set into ${scene_dir}"
    VERBATIM)
  foreach(file ${scene_files})
    get_filename_component(subdir ${file} DIRECTORY)
    install(FILES ${scene_dir}/${file} DESTINATION ${CMAKE_INSTALL_DATADIR}/veltrane/scene/${subdir})
  endforeach()
endif()

# The launchers find the viewer and the data set relative to themselves, so a staged or
# relocated installation works as well as the packaged one. "veltrane" is configured into
# launcher/, as build/veltrane is the viewer.
file(RELATIVE_PATH VELTRANE_SCENE_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/veltrane/scene)
file(RELATIVE_PATH VELTRANE_VIEWER_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/veltrane/veltrane)
foreach(launcher veltrane-scene launcher/veltrane)
  get_filename_component(launcher_name ${launcher} NAME)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${launcher_name}.in ${PROJECT_BINARY_DIR}/${launcher} @ONLY)
  file(CHMOD ${PROJECT_BINARY_DIR}/${launcher}
       PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/${launcher} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# The desktop: the menu entry (veltrane-scene, with a model file when one is opened with it),
# its icon (the PNG is rendered from the SVG) and the AppStream description.
set(desktop_dir ${CMAKE_CURRENT_LIST_DIR}/desktop)
install(FILES ${desktop_dir}/veltrane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_dir}/veltrane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${desktop_dir}/veltrane.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${desktop_dir}/io.github.veltrane.Veltrane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Compressed as Debian wants them: gzip -9 without a name or time stamp.
set(gzipped_files)
function(veltrane_gzip in out)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${VELTRANE_GZIP} -9 -n -c ${in} > ${out}
                     DEPENDS ${in})
  set(gzipped_files ${gzipped_files} ${out} PARENT_SCOPE)
endfunction()

# The manual pages: the date is the configure time's (or SOURCE_DATE_EPOCH's).
string(TIMESTAMP VELTRANE_MAN_DATE "%Y-%m-%d" UTC)
set(VELTRANE_MAN_SCENE_DIR ${CMAKE_INSTALL_FULL_DATADIR}/veltrane/scene)
set(VELTRANE_MAN_VIEWER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/veltrane/veltrane)
set(veltrane_man_pages veltrane veltrane-tool veltrane-scene)
if(TARGET veltrane-headless)
  list(APPEND veltrane_man_pages veltrane-headless)
endif()
foreach(page ${veltrane_man_pages})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/man/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  veltrane_gzip(${PROJECT_BINARY_DIR}/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The documentation. The changelog's newest entry must name the project's version.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^veltrane \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry (${changelog_head}) is not for "
                      "version ${PROJECT_VERSION}; add one")
endif()
veltrane_gzip(${CMAKE_CURRENT_LIST_DIR}/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
# The installed README is packaging/README.md, written for the installed package (the tree's
# README.md is for building from source and shows pictures that are not installed).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/copyright
              ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/veltrane)

add_custom_target(veltrane_install_files ALL DEPENDS ${scene_outputs} ${gzipped_files})
add_dependencies(veltrane_package_contents veltrane_install_files)

include(${CMAKE_CURRENT_LIST_DIR}/debian_package.cmake)
