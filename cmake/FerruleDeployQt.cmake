# Windows: Qt's DLLs and the plugins an executable loads are copied beside it after each build, the way a
# Windows user receives them (Qt6Core.dll ... beside the .exe, plugins in platforms/, styles/ ...), so the
# build folder runs as the release does.
# Qt's Japanese texts (standard buttons, edit menus) go into translations/: the .qm files are the same on
# every platform, so they come from the build machine's Qt (Debian's qt6-translations-l10n).
#   ferrule_deploy_qt(target LIBRARIES Core Gui ... PLUGINS platforms/QWindowsIntegrationPlugin ...)
set(FERRULE_QT_TRANSLATIONS_DIR /usr/share/qt6/translations CACHE PATH "Where qtbase_ja.qm is found")
function(ferrule_deploy_qt target)
    cmake_parse_arguments(ARG "" "" "LIBRARIES;PLUGINS" ${ARGN})
    set(dir $<TARGET_FILE_DIR:${target}>)
    set(commands)
    foreach(library IN LISTS ARG_LIBRARIES)
        list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::${library}> ${dir})
    endforeach()
    foreach(plugin IN LISTS ARG_PLUGINS)
        get_filename_component(type ${plugin} DIRECTORY)
        get_filename_component(name ${plugin} NAME)
        list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${type}
             COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::${name}> ${dir}/${type})
    endforeach()
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/translations
         COMMAND ${CMAKE_COMMAND} -E copy_if_different ${FERRULE_QT_TRANSLATIONS_DIR}/qtbase_ja.qm ${dir}/translations)
    add_custom_command(TARGET ${target} POST_BUILD ${commands} VERBATIM)
endfunction()
