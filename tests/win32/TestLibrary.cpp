// Loadable and nothing more: what a downloaded skin folder could carry.
extern "C" __declspec(dllexport) int LumTestLibrary()
{
    return 1;
}
