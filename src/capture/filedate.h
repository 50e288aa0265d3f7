#pragma once

/** The data module created at start-up; it holds nothing and takes no part in reading. */
class TDataModule1
{
};
