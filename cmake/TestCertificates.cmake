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

# quillo_signed_copy(TARGET INPUT OUTPUT SIGNER DIR [PAD_TO_MIB N]): OUTPUT is
# INPUT (a Windows program) with an Authenticode signature made with
# DIR/SIGNER.pem and its key, by osslsigncode. Without a time stamp: nothing
# here can reach a time-stamping service. PAD_TO_MIB extends the program (which
# must be smaller) with zero bytes to N MiB before it is signed: the padding
# lies after the last section, inside the signed digest, and the signature
# adds a few KiB on top.
function(quillo_signed_copy target input output signer dir)
  cmake_parse_arguments(arg "" "PAD_TO_MIB" "" ${ARGN})
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  get_filename_component(folder ${output} DIRECTORY)
  set(unsigned ${input})
  set(padding)
  set(cleanup)
  if(arg_PAD_TO_MIB)
    find_program(TRUNCATE truncate REQUIRED)
    get_filename_component(name ${output} NAME)
    set(unsigned ${CMAKE_CURRENT_BINARY_DIR}/padded/${name})
    set(padding
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/padded
      COMMAND ${CMAKE_COMMAND} -E copy ${input} ${unsigned}
      COMMAND ${TRUNCATE} -s ${arg_PAD_TO_MIB}M ${unsigned})
    set(cleanup COMMAND ${CMAKE_COMMAND} -E rm -f ${unsigned})
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${output}
    ${padding}
    COMMAND ${OSSLSIGNCODE} sign -certs ${dir}/${signer}.pem -key ${dir}/${signer}.key
            -h sha256 -n "Quillo test package" -in ${unsigned} -out ${output} > /dev/null
    ${cleanup}
    DEPENDS ${input} ${dir}/${signer}.pem ${dir}/${signer}.key
    COMMENT "Signing ${output} as ${signer}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
