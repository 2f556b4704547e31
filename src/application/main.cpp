// trelvo: the application.
#include "application/runapp.h"

int main(int argc, char** argv) { return trelvo::run_app(argc, argv); }
