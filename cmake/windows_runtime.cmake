# What Planora.exe and the test programs need beside them on Windows, copied
# into the build folder so that they run from it (under Wine too), and
# installed with the program: Qt's libraries, the Windows platform and style
# plugins, Qt's Brazilian Portuguese translations, the MinGW runtime, and a
# qt.conf that tells Qt where the translations are.
set(PLANORA_WINDOWS_QT "" CACHE PATH "Qt for Windows, built with MinGW-w64")
set(PLANORA_QT_TRANSLATIONS "/usr/share/qt6/translations" CACHE PATH "Qt's translations (.qm files)")

# Every program lands in the build folder itself, beside what it needs.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE PLANORA_LIBSTDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
                OUTPUT_VARIABLE PLANORA_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(PLANORA_WINPTHREAD libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(PLANORA_RUNTIME_FILES
    ${PLANORA_WINDOWS_QT}/bin/Qt6Core.dll
    ${PLANORA_WINDOWS_QT}/bin/Qt6Gui.dll
    ${PLANORA_WINDOWS_QT}/bin/Qt6Widgets.dll
    ${PLANORA_LIBSTDCXX}
    ${PLANORA_LIBGCC}
    ${PLANORA_WINPTHREAD})
set(PLANORA_PLATFORM_PLUGIN ${PLANORA_WINDOWS_QT}/plugins/platforms/qwindows.dll)
set(PLANORA_STYLE_PLUGIN ${PLANORA_WINDOWS_QT}/plugins/styles/qwindowsvistastyle.dll)
set(PLANORA_TRANSLATION ${PLANORA_QT_TRANSLATIONS}/qtbase_pt_BR.qm)
set(PLANORA_QT_CONF ${CMAKE_BINARY_DIR}/qt.conf)
file(WRITE ${PLANORA_QT_CONF} "[Paths]\nPrefix = .\nTranslations = translations\n")

# Each library lands in the build folder without its debug symbols, and is
# installed from there: MinGW's runtime carries them (libstdc++ is some twelve
# times its size with them).
set(PLANORA_STRIPPED_RUNTIME)
foreach(library ${PLANORA_RUNTIME_FILES} ${PLANORA_WINDOWS_QT}/bin/Qt6Test.dll)
    get_filename_component(name ${library} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name}
        COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${CMAKE_BINARY_DIR}/${name} ${library}
        DEPENDS ${library}
        VERBATIM)
    list(APPEND PLANORA_STRIPPED_RUNTIME ${CMAKE_BINARY_DIR}/${name})
endforeach()
list(FILTER PLANORA_STRIPPED_RUNTIME EXCLUDE REGEX "Qt6Test\\.dll$")

add_custom_target(windows_runtime ALL
    DEPENDS ${PLANORA_STRIPPED_RUNTIME} ${CMAKE_BINARY_DIR}/Qt6Test.dll
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/platforms ${CMAKE_BINARY_DIR}/styles
            ${CMAKE_BINARY_DIR}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PLANORA_PLATFORM_PLUGIN}
            ${PLANORA_WINDOWS_QT}/plugins/platforms/qminimal.dll ${CMAKE_BINARY_DIR}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PLANORA_STYLE_PLUGIN} ${CMAKE_BINARY_DIR}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PLANORA_TRANSLATION} ${CMAKE_BINARY_DIR}/translations
    VERBATIM)

install(FILES ${PLANORA_STRIPPED_RUNTIME} ${PLANORA_QT_CONF} DESTINATION .)
install(FILES ${PLANORA_PLATFORM_PLUGIN} DESTINATION platforms)
install(FILES ${PLANORA_STYLE_PLUGIN} DESTINATION styles)
install(FILES ${PLANORA_TRANSLATION} DESTINATION translations)
