/* A model's OpenMP threads that each call logk for every core get the
 * bits of one thread, and no thread more than the model's: inside a
 * parallel region the library keeps to the calling thread. Prints "same"
 * or exits 1. */
#include <dirent.h>
#include <omp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "logk/logk.h"

enum { kPoints = 100000 };

static int threads_of_process(void) {
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == NULL) return -1;
    for (struct dirent* entry; (entry = readdir(tasks)) != NULL;) count += entry->d_name[0] != '.';
    closedir(tasks);
    return count;
}

int main(void) {
    static double values[1332], P[kPoints], T[kPoints], one[kPoints], each[2][kPoints];
    for (int k = 0; k < 1332; ++k) values[k] = -3.0 + 0.001 * k;
    for (int i = 0; i < kPoints; ++i) {
        P[i] = 0.5 + 0.065 * i;
        T[i] = -5.0 + 0.00725 * i;
    }
    logk_table* table = logk_table_from_values(values, NULL);
    logk_interpolate(table, kPoints, P, T, one, NULL, NULL, NULL, NULL);
    int team = 0;
#pragma omp parallel num_threads(2)
    {
        logk_interpolate_workers(table, kPoints, P, T, each[omp_get_thread_num()], NULL, NULL, NULL, NULL, 0);
#pragma omp single
        team = omp_get_num_threads();
    }
    const int after_region = threads_of_process();
    logk_table_free(table);
    if (after_region > team) {
        printf("%d threads after a region of %d\n", after_region, team);
        return 1;
    }
    for (int t = 0; t < team; ++t) {
        if (memcmp(each[t], one, sizeof one) != 0) return 1;
    }
    printf("same\n");
    return 0;
}
