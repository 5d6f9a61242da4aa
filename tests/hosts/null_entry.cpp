// A deliberately broken plug-in for the host tests: its entry answers null, as a plug-in does
// when it cannot build its effect. A host test run against it must fail, never pass on the
// host's dry output.
extern "C" __attribute__((visibility("default"))) void* VSTPluginMain(void*) { return nullptr; }
