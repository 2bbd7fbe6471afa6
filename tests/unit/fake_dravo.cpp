// Stand-in libraries for the binding failures: one without the factory
// export, one whose factory returns no object.
#ifdef FAKE_DRAVO_NO_EXPORT
extern "C" __declspec(dllexport) void* __cdecl OldDravo() { return nullptr; }
#else
extern "C" __declspec(dllexport) void* __cdecl NewDravo() { return nullptr; }
#endif
