# quillo_test_certificates(TARGET DIR [PUBLISHER NAME] HOST...): a build-time
# target that makes a test certificate authority and a server certificate it
# issues for HOST... in DIR (ca.pem, ca.der, server.pem, server.key; see
# tools/vendor-server/make-test-ca). With PUBLISHER, the code-signing
# certificates too (codesign, other-publisher, untrusted-signer: .pem and
# .key). They are made again when the hosts or the publisher change.
function(quillo_test_certificates target dir)
  cmake_parse_arguments(arg "" "PUBLISHER" "" ${ARGN})
  set(hosts ${arg_UNPARSED_ARGUMENTS})
  list(REMOVE_DUPLICATES hosts)
  set(outputs ${dir}/ca.pem ${dir}/ca.der ${dir}/server.pem ${dir}/server.key)
  set(options)
  if(arg_PUBLISHER)
    set(options --publisher ${arg_PUBLISHER})
    foreach(signer codesign other-publisher untrusted-signer)
      list(APPEND outputs ${dir}/${signer}.pem ${dir}/${signer}.key)
    endforeach()
  endif()
  file(CONFIGURE OUTPUT ${dir}.hosts CONTENT "${hosts}\n${arg_PUBLISHER}\n")
  set(maker ${PROJECT_SOURCE_DIR}/tools/vendor-server/make-test-ca)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${maker} ${options} ${dir} ${hosts}
    DEPENDS ${maker} ${dir}.hosts
    COMMENT "Test certificate authority and certificates for ${hosts} ${arg_PUBLISHER}")
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()

# quillo_signed_copy(TARGET INPUT OUTPUT SIGNER DIR): OUTPUT is INPUT (a
# Windows program) with an Authenticode signature made with DIR/SIGNER.pem
# and its key, by osslsigncode. Without a time stamp: nothing here can reach
# a time-stamping service.
function(quillo_signed_copy target input output signer dir)
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${output}
    COMMAND ${OSSLSIGNCODE} sign -certs ${dir}/${signer}.pem -key ${dir}/${signer}.key
            -h sha256 -n "Quillo test package" -in ${input} -out ${output} > /dev/null
    DEPENDS ${input} ${dir}/${signer}.pem ${dir}/${signer}.key
    COMMENT "Signing ${output} as ${signer}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
