// The Samba client libraries keep strings of their logging set-up, and SASL's Kerberos mechanism a
// credential, for the life of the process. LeakSanitizer passes over just these allocation sites,
// which it tells apart only by full stacks: the fast unwinder stops in those libraries.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:debug_set_logfile\nleak:handle_debug_list\nleak:sasl_client_step\n";
}
