#include "app/pub_module.h"

int main(int argc, char** argv)
{
    return PubModule::Main(argc, argv);
}
