/* The few C library routines the skin library needs, since it links no C
 * runtime: the compiler itself emits calls to these for struct copies and
 * clears. Byte loops are enough for the sizes involved. */
#include <stddef.h>

void* memset(void* destination, int value, size_t count) {
    volatile unsigned char* out = destination;
    while (count-- > 0) {
        *out++ = (unsigned char)value;
    }
    return destination;
}

void* memcpy(void* destination, const void* source, size_t count) {
    volatile unsigned char* out = destination;
    const unsigned char* in = source;
    while (count-- > 0) {
        *out++ = *in++;
    }
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    volatile unsigned char* out = destination;
    const unsigned char* in = source;
    if (out < in) {
        while (count-- > 0) {
            *out++ = *in++;
        }
    } else {
        while (count-- > 0) {
            out[count] = in[count];
        }
    }
    return destination;
}

int memcmp(const void* left, const void* right, size_t count) {
    const unsigned char* a = left;
    const unsigned char* b = right;
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}
