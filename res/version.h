// The version of KELPRA's programs and packages: the one place it is set.
// The resource scripts, script/package and the Debian package read it.
#define KELPRA_VERSION_NUMBERS 1,1,2,0
#define KELPRA_VERSION_TEXT "1.12"
