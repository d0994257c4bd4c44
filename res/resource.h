// Resource and control identifiers of the program.
#pragma once

// Menu and accelerator table
#define IDR_MAINMENU 600
#define IDR_ACCELERATORS 100

// Commands
#define IDM_EXIT 300
#define IDM_WCONTROL 301
#define IDM_RPORT 312
#define IDM_WDATA 316
#define IDM_ABOUT 500
#define IDM_HELPTOPICS 505

// Write dialogs
#define IDD_WRITEDATA 321
#define IDD_WRITECONTROL 331
#define ID_INPUT 318
#define IDSEND 320

// About box
#define IDD_ABOUT 501
#define IDC_ABOUT_NAME 401
#define IDC_ABOUT_PLATFORM 402
#define IDC_ABOUT_CREDIT1 403
#define IDC_ABOUT_CREDIT2 404
#define IDC_ABOUT_VERSION 505

// Status bar
#define IDM_STATUSBAR 3000
#define IDS_SYSMENU 2030
