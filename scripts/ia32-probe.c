/* ia32-probe: exits 0 when this machine's kernel runs 32-bit code inside a
 * 64-bit process, as Wine's WoW64 mode needs (a far return to the 32-bit
 * user code segment, selector 0x23, runs "mov eax, 42; retf" and comes
 * back), and 1 when it does not: a kernel whose IA-32 emulation is off
 * leaves that segment unusable and the jump faults. Built and run by
 * scripts/test.sh before the 32-bit programs' Wine tests. */
#define _GNU_SOURCE
#include <setjmp.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>

static sigjmp_buf gFault;
static uint64_t gSavedStack;

static void OnFault(int signal)
{
    (void)signal;
    siglongjmp(gFault, 1);
}

int main(void)
{
    /* Code and stack below 4 GB, where 32-bit code can reach them. */
    unsigned char* low = mmap((void*)0x100000, 8192, PROT_READ | PROT_WRITE | PROT_EXEC,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (low == MAP_FAILED) {
        perror("ia32-probe: mmap");
        return 2;
    }
    static const unsigned char code32[] = {0xB8, 42, 0, 0, 0, 0xCB}; /* mov eax, 42; retf */
    memcpy(low, code32, sizeof code32);
    signal(SIGSEGV, OnFault);
    signal(SIGBUS, OnFault);
    if (sigsetjmp(gFault, 1)) {
        printf("ia32-probe: this kernel runs no 32-bit code (its IA-32 emulation is off)\n");
        return 1;
    }
    uint64_t stack = (uint64_t)(low + 8000);
    int result = 0;
    __asm__ volatile(
        "mov %%rsp, %[saved]\n\t"
        "mov %[stack], %%rsp\n\t"
        "lea 1f(%%rip), %%rcx\n\t"
        "sub $8, %%rsp\n\t"
        "movl $0x33, 4(%%rsp)\n\t" /* the 32-bit retf pops eip, then cs */
        "movl %%ecx, (%%rsp)\n\t"
        "pushq $0x23\n\t"
        "pushq %[code]\n\t"
        "lretq\n\t"
        "1:\n\t"
        "mov %[saved], %%rsp\n\t"
        : "=a"(result), [saved] "+m"(gSavedStack)
        : [code] "r"((uint64_t)low), [stack] "r"(stack)
        : "rcx", "memory");
    if (result != 42) {
        printf("ia32-probe: 32-bit code gave %d, not 42\n", result);
        return 1;
    }
    printf("ia32-probe: this kernel runs 32-bit code\n");
    return 0;
}
