/* Resource ids of the Pro widgets. Read by the resource compiler as well as by
   C++, so it holds #define lines only. */
#ifndef QUILLFEN_PRO_RES_H
#define QUILLFEN_PRO_RES_H

/* Button captions: PRO_STR_BUTTON_BASE + 20 * language slot + role. */
#define PRO_STR_BUTTON_BASE 30100
#define PRO_STR_BUTTON_LAST 30413
#define PRO_STR_LANGUAGE_STRIDE 20
/* The Slovak "Yes" caption sits in a spare id of the Russian slot. */
#define PRO_STR_YES_SLK 30138

/* Screen cursor numbers of the cursor resources. */
#define PRO_CR_HANDPOINT 15000
#define PRO_CR_SMALLHANDPOINT 15001
#define PRO_CR_GRABHAND 15002
#define PRO_CR_GRABHANDARROW 15003
#define PRO_CR_DRAGHAND 15004

#endif
