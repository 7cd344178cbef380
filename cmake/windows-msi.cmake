# SPDX-License-Identifier: MIT
# The Windows installer (target windows-msi), built with wixl from packaging/tovrik.wxs:
# the same files as the zip, per machine under Program Files, with a Start menu entry
# and an uninstaller. Each bitness is a product of its own (its own upgrade code, its own
# folder and name), so the 32-bit and the 64-bit tool can be installed side by side; a
# newer version of one replaces the older in place.
find_program(TOVRIK_WIXL wixl)

# Windows Installer compares three version fields; the fourth is left out.
set(TOVRIK_MSI_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOVRIK_MSI_ARCH x64)
  set(TOVRIK_MSI_WIN64 yes)
  set(TOVRIK_MSI_PROGRAM_FILES ProgramFiles64Folder)
  set(TOVRIK_MSI_PRODUCT_NAME "Tovrik Configuration")
  # Never change an upgrade code: it is how a newer installer finds the installed tool.
  set(TOVRIK_MSI_UPGRADE_CODE BEB1BCD2-8377-47B4-A6D2-C1D571245F49)
else()
  set(TOVRIK_MSI_ARCH x86)
  set(TOVRIK_MSI_WIN64 no)
  set(TOVRIK_MSI_PROGRAM_FILES ProgramFilesFolder)
  set(TOVRIK_MSI_PRODUCT_NAME "Tovrik Configuration (32-bit)")
  set(TOVRIK_MSI_UPGRADE_CODE EA43FBA2-00DA-4D62-AC64-D981F83F80B1)
endif()

# Everything the installer carries, copied into one folder, since wixl looks for the
# files in the folder it runs in.
set(TOVRIK_MSI_STAGE ${CMAKE_BINARY_DIR}/msi-stage)
set(TOVRIK_MSI_FILES
    ${TOVRIK_MSI_STAGE}/tovrik-config.exe ${TOVRIK_MSI_STAGE}/tovrik-cli.exe
    ${TOVRIK_MSI_STAGE}/README.md ${TOVRIK_MSI_STAGE}/LICENSE
    ${TOVRIK_MSI_STAGE}/tovrik-config.ico)
add_custom_command(OUTPUT ${TOVRIK_MSI_FILES}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TOVRIK_MSI_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOVRIK_MSI_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tovrik-config> $<TARGET_FILE:tovrik-cli>
          ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          ${PROJECT_SOURCE_DIR}/win32/tovrik-config.ico ${TOVRIK_MSI_STAGE}
  DEPENDS tovrik-config tovrik-cli ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          ${PROJECT_SOURCE_DIR}/win32/tovrik-config.ico
  COMMENT "Gathering the installer's files in ${TOVRIK_MSI_STAGE}"
  VERBATIM)
add_custom_target(windows-msi-stage DEPENDS ${TOVRIK_MSI_FILES})

# The product code of a version follows from the upgrade code and the version, so a
# rebuild of the same version is the same product, and every version is another.
function(tovrik_msi_product_code variable version)
  string(UUID code NAMESPACE ${TOVRIK_MSI_UPGRADE_CODE} NAME "${version}" TYPE SHA1 UPPER)
  set(${variable} ${code} PARENT_SCOPE)
endfunction()

# tovrik_msi(OUTPUT VERSION): one installer of the staged files with that version; a
# target that builds it depends on windows-msi-stage.
function(tovrik_msi output version)
  tovrik_msi_product_code(product_code ${version})
  if(TOVRIK_WIXL)
    set(build ${TOVRIK_WIXL} --arch ${TOVRIK_MSI_ARCH} -D Version=${version}
        -D ProductCode=${product_code} -D UpgradeCode=${TOVRIK_MSI_UPGRADE_CODE}
        -D Win64=${TOVRIK_MSI_WIN64} -D ProgramFiles=${TOVRIK_MSI_PROGRAM_FILES}
        -D "ProductName=${TOVRIK_MSI_PRODUCT_NAME}"
        -o ${output} ${PROJECT_SOURCE_DIR}/packaging/tovrik.wxs)
  else()
    set(build ${CMAKE_COMMAND} -E echo
        "wixl was not found: scripts/install-deps --windows installs it, then configure again"
        COMMAND ${CMAKE_COMMAND} -E false)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${build}
    WORKING_DIRECTORY ${TOVRIK_MSI_STAGE}
    DEPENDS ${TOVRIK_MSI_FILES} ${PROJECT_SOURCE_DIR}/packaging/tovrik.wxs
    COMMENT "Building the installer ${output} (version ${version})"
    VERBATIM)
endfunction()

# tovrik_msi_target(NAME OUTPUT VERSION): the target NAME builds that installer.
function(tovrik_msi_target name output version)
  tovrik_msi(${output} ${version})
  add_custom_target(${name} DEPENDS ${output})
  add_dependencies(${name} windows-msi-stage)
endfunction()

set(TOVRIK_MSI ${CMAKE_BINARY_DIR}/tovrik-windows-${CMAKE_SYSTEM_PROCESSOR}.msi)
tovrik_msi_target(windows-msi ${TOVRIK_MSI} ${TOVRIK_MSI_VERSION})
