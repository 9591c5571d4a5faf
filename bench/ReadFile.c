/* The least a program that looks at a picture file must do: start, open the
   file, read it whole and print its size. Its time is the floor lumopic's
   start-up is measured against. */
#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    FILE* file = fopen(argv[1], "rb");
    if (file == NULL)
        return 1;
    char buffer[65536];
    size_t total = 0;
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0)
        total += count;
    fclose(file);
    printf("%zu bytes\n", total);
    return 0;
}
