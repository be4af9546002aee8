/* Resource identifiers shared by the resource script and the code. */
#define IDI_FERROWICK 1
