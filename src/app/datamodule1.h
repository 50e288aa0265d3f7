#pragma once

/** The data module created at start-up, after the windows; it holds nothing. */
class TDataModule1
{
};
