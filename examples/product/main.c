/* The product: a program whose linked bytes become its firmware image. */
static const char banner[] = "corvane example product";

int main(void) { return banner[0] == 'c' ? 0 : 1; }
