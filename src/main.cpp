#include "flow/startup.h"

int main(int argc, char** argv) { return tessera::RunTessera(argc, argv); }
