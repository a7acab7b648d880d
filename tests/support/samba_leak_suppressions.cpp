// The Samba client libraries keep a few strings of their logging set-up for
// the life of the process and never free them, even after libnetapi_free and
// smbc_free_context. LeakSanitizer (sanitizer builds) reads this list when the
// test program ends. Only those allocation sites are named, so a buffer the
// backends forget to free is still reported; telling them apart needs the
// full allocation stack, which the fast unwinder cannot take through Samba's
// libraries (built without frame pointers).
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:debug_set_logfile\n"  // reopen_logs(), from smbc_new_context and libnetapi_init
         "leak:handle_debug_list\n"  // lp_set_cmdline("log level") in libnetapi_init
         "leak:sasl_client_step\n";  // SASL's GSSAPI mechanism keeps the credential
                                     // it acquires for a Kerberos bind after the unbind
}
