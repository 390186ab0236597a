/* A stand-in for the socket library: exports the socket entry point names
   (through a .def file) so that the loader can be pointed at it. Each stub
   returns its position in the table; nothing calls them. */

int stub_01(void) { return 1; }
int stub_02(void) { return 2; }
int stub_03(void) { return 3; }
int stub_04(void) { return 4; }
int stub_05(void) { return 5; }
int stub_06(void) { return 6; }
int stub_07(void) { return 7; }
int stub_08(void) { return 8; }
int stub_09(void) { return 9; }
int stub_10(void) { return 10; }
int stub_11(void) { return 11; }
int stub_12(void) { return 12; }
int stub_13(void) { return 13; }
int stub_14(void) { return 14; }
int stub_15(void) { return 15; }
int stub_16(void) { return 16; }
int stub_17(void) { return 17; }
int stub_18(void) { return 18; }
int stub_19(void) { return 19; }
int stub_20(void) { return 20; }
int stub_21(void) { return 21; }
int stub_22(void) { return 22; }
int stub_23(void) { return 23; }
int stub_24(void) { return 24; }
int stub_25(void) { return 25; }
