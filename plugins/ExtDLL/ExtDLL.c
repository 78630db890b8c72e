/*
 * Sample extension library for Kanata195.
 *
 * The program calls ExtendDLLFunc once for every incoming call with the
 * 1024-byte call record below and its work folder (with a trailing "/").
 * Return 1 for success; any other value is noted in the work folder's
 * extdll_call.log. The record is the program's copy: changing it changes
 * nothing in the program.
 *
 * This sample appends one line per call to extdll_sample.txt in the work
 * folder: number, shown number, matched index, company name, person name,
 * division and first selection item, separated by tabs (texts in code page
 * 932 as received). The environment variable KANATA_EXTDLL_RESULT, when set,
 * gives the result to return (default 1).
 */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct ExtensionRecord {
    char SchTel0[12];
    char SchTel1[12];
    char Tel0[14];
    char Tel1[14];
    int32_t TelIndex;
    char Pos[9];
    char Tdfkn[9];
    char Adrs1[33];
    char Adrs2[101];
    char Reserved[52];
    char JisCode[6];
    char CorpKana[81];
    char CorpKanji[113];
    char NameKana[21];
    char NameKanji[23];
    int32_t PrivCorp;
    char Memo1[101];
    char Memo3[101];
    char Memo2[101];
    char Rank[21];
    int32_t Latitude;
    int32_t Longitude;
    double RecvDateTime;
    double PrevRecvDateTime;
    int32_t Division;
    char SelItem1[31];
    char SelItem2[31];
    char SelItem3[31];
    char EMail[71];
};

_Static_assert(sizeof(struct ExtensionRecord) == 1024, "record size");
_Static_assert(offsetof(struct ExtensionRecord, CorpKanji) == 347, "record layout");
_Static_assert(offsetof(struct ExtensionRecord, Division) == 856, "record layout");

#ifdef EXTDLL_WITHOUT_ENTRY
#define ENTRY_NAME ExtendDLLFuncMissing
#else
#define ENTRY_NAME ExtendDLLFunc
#endif

/* A slot's text, never reading past the slot. */
static void put_slot(FILE* out, const char* slot, size_t size) {
    const char* end = memchr(slot, '\0', size);
    fwrite(slot, 1, end ? (size_t)(end - slot) : size, out);
}

int ENTRY_NAME(struct ExtensionRecord* record, const char* workFolder) {
    const char* wanted = getenv("KANATA_EXTDLL_RESULT");
    int result = wanted ? atoi(wanted) : 1;
    if (!record || !workFolder)
        return 0;

    char path[4096];
    if (snprintf(path, sizeof path, "%sextdll_sample.txt", workFolder) >= (int)sizeof path)
        return 0;
    FILE* out = fopen(path, "ab");
    if (!out)
        return 0;
    put_slot(out, record->SchTel0, sizeof record->SchTel0);
    fputc('\t', out);
    put_slot(out, record->Tel0, sizeof record->Tel0);
    fprintf(out, "\t%d\t", (int)record->TelIndex);
    put_slot(out, record->CorpKanji, sizeof record->CorpKanji);
    fputc('\t', out);
    put_slot(out, record->NameKanji, sizeof record->NameKanji);
    fprintf(out, "\t%d\t", (int)record->Division);
    put_slot(out, record->SelItem1, sizeof record->SelItem1);
    fputc('\n', out);
    fclose(out);
    return result;
}
