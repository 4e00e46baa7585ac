/* String resources of the component translation tests. */
#ifndef MOVRA_COMPONENT_TRANSLATION_IDS_H
#define MOVRA_COMPONENT_TRANSLATION_IDS_H
#define IDS_TEST_RESOURCE_TEXT 1000
#define IDS_TEST_FOUND_FILES 1001
#endif
