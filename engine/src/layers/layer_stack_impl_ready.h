// Marks the compositor as built; the converter uses it instead of its stand-in.
