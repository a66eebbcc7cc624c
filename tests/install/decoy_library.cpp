// A shared library that is not the one a program asks for: copied under the name of a library the
// programs link, it shows whether the loader looks for that name in a folder it should not.
extern "C" int vorfjp_decoy_library()
{
    return 0;
}
