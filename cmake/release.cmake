# What a release needs of the shipped binaries: the same bytes from the same sources, and an
# Authenticode signature when a key is given.
#
# The time stamps that go into the binaries and the package (the PE header's, the package's
# dates and file times) are SOURCE_DATE_EPOCH: -D USBPHONE_SOURCE_DATE_EPOCH=<seconds> or the
# environment's SOURCE_DATE_EPOCH when given, else the time of the source tree's last commit,
# else 1980-01-01 (the earliest time a cabinet can hold) for a tree without git history.
if(DEFINED USBPHONE_SOURCE_DATE_EPOCH)
elseif(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(USBPHONE_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  set(USBPHONE_SOURCE_DATE_EPOCH 315532800)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE commitTime OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE gitResult ERROR_QUIET)
    if(gitResult EQUAL 0 AND commitTime MATCHES "^[0-9]+$")
      set(USBPHONE_SOURCE_DATE_EPOCH ${commitTime})
      # A new commit configures again, so that the time follows it.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE gitDir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(EXISTS "${gitDir}/logs/HEAD")
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                     "${gitDir}/logs/HEAD")
      endif()
    endif()
  endif()
endif()

# The signing key, named by the environment when CMake configures (packaging/sign.sh says
# what each variable means). The values are written to signing.txt, which the signed
# binaries depend on: another key, or none, signs them again or leaves them unsigned.
set(USBPHONE_SIGNING_VARIABLES USBPHONE_SIGN_PKCS12 USBPHONE_SIGN_PKCS11_MODULE
    USBPHONE_SIGN_PKCS11_KEY USBPHONE_SIGN_CERTS USBPHONE_SIGN_PASSWORD_FILE
    USBPHONE_SIGN_TIMESTAMP_URL)
set(USBPHONE_SIGNING_ENV "")
set(signingText "")
foreach(variable ${USBPHONE_SIGNING_VARIABLES})
  if(NOT "$ENV{${variable}}" STREQUAL "")
    list(APPEND USBPHONE_SIGNING_ENV "${variable}=$ENV{${variable}}")
    string(APPEND signingText "${variable}=$ENV{${variable}}\n")
  endif()
endforeach()
if(NOT "$ENV{USBPHONE_SIGN_PKCS12}" STREQUAL "" OR
   NOT "$ENV{USBPHONE_SIGN_PKCS11_MODULE}" STREQUAL "")
  set(USBPHONE_SIGNING ON)
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "signing needs osslsigncode: scripts/setup.sh installs it")
  endif()
else()
  set(USBPHONE_SIGNING OFF)
  message(NOTICE "Signing: no key (USBPHONE_SIGN_PKCS12 or USBPHONE_SIGN_PKCS11_MODULE), "
                 "the program and the package are left unsigned")
endif()
set(USBPHONE_SIGNING_STAMP ${CMAKE_BINARY_DIR}/signing.txt)
file(CONFIGURE OUTPUT ${USBPHONE_SIGNING_STAMP} CONTENT "${signingText}")
set(USBPHONE_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/sign.sh)

# usbphone_release_binary(<target>): a shipped program or DLL. Linked with the PE header's
# time stamp at SOURCE_DATE_EPOCH (GNU ld takes it from there; else it writes the time of
# the link), and signed in place after each link when a key is given. Call it in the folder
# that defines the target (a POST_BUILD step must be added there).
function(usbphone_release_binary target)
  set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK
               "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${USBPHONE_SOURCE_DATE_EPOCH}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${USBPHONE_SIGNING_STAMP})
  if(USBPHONE_SIGNING)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E env ${USBPHONE_SIGNING_ENV} bash ${USBPHONE_SIGN_SCRIPT}
              $<TARGET_FILE:${target}>
      COMMENT "Signing ${target}"
      VERBATIM)
  endif()
endfunction()
