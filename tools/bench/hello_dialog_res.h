#pragma once
#define IDD_HELLO 100
