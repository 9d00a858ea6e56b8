# quillo_test_certificates(TARGET DIR HOST...): a build-time target that makes
# a test certificate authority and a server certificate it issues for HOST...
# in DIR (ca.pem, ca.der, server.pem, server.key; see
# tools/vendor-server/make-test-ca). They are made again when the hosts change.
function(quillo_test_certificates target dir)
  set(hosts ${ARGN})
  list(REMOVE_DUPLICATES hosts)
  file(CONFIGURE OUTPUT ${dir}.hosts CONTENT "${hosts}\n")
  set(maker ${PROJECT_SOURCE_DIR}/tools/vendor-server/make-test-ca)
  add_custom_command(
    OUTPUT ${dir}/ca.pem ${dir}/ca.der ${dir}/server.pem ${dir}/server.key
    COMMAND ${maker} ${dir} ${hosts}
    DEPENDS ${maker} ${dir}.hosts
    COMMENT "Test certificate authority and server certificate for ${hosts}")
  add_custom_target(${target} ALL DEPENDS ${dir}/ca.der ${dir}/server.pem)
endfunction()
